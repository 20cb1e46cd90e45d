// 播出记录: one day's as-run log, newest days first in the picker.
'use strict';

(() => {
    const picker = Orv.$('asrun-date');
    let shown = false;

    const eventText = {
        start: '开始播放',
        stop: '停止',
        missing: '文件缺失',
        left: '未播',
        day: '新的一天',
        clock: '时钟',
        'clock-jump': '时钟跳变',
        console: '控制台',
    };

    function fillDates(dates, chosen) {
        const known = Array.from(picker.options).map((o) => o.value);
        if (known.join() === dates.join()) {
            picker.value = chosen;
            return;
        }
        Orv.clear(picker);
        for (const date of dates) {
            picker.appendChild(new Option(date, date));
        }
        if (!dates.includes(chosen)) {
            picker.appendChild(new Option(chosen, chosen));
        }
        picker.value = chosen;
    }

    async function load(date) {
        const message = Orv.$('asrun-message');
        const query = date ? `?date=${encodeURIComponent(date)}` : '';
        try {
            const log = await Orv.api('GET', `/api/as-run${query}`);
            fillDates(log.dates || [], log.date);
            Orv.$('asrun-csv').href = `/api/as-run?date=${encodeURIComponent(log.date)}&format=csv`;
            Orv.$('asrun-csv').setAttribute('download', `as-run-${log.date}.csv`);
            const body = Orv.$('asrun-lines');
            Orv.clear(body);
            for (const line of log.lines || []) {
                const tr = Orv.el('tr');
                tr.appendChild(Orv.el('td', 'time', line.time));
                const event = Orv.el('td', 'event', eventText[line.event] || line.event);
                event.title = line.event;
                tr.appendChild(event);
                tr.appendChild(Orv.el('td', 'details', line.text));
                body.appendChild(tr);
            }
            Orv.$('asrun-empty').hidden = (log.lines || []).length > 0;
            Orv.showMessage(message, '', false);
        } catch (e) {
            Orv.showMessage(message, e.message, false);
        }
    }

    picker.addEventListener('change', () => load(picker.value));

    Orv.pages.asrun = {
        show() {
            load(shown ? picker.value : Orv.isoDate(new Date()));
            shown = true;
        },
        onBroadcast(data, visible) {
            if (visible && picker.value === Orv.isoDate(new Date())) {
                load(picker.value);
            }
        },
    };
})();
