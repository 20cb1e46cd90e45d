// 日程: what a chosen day will play, and what the day's check found.
'use strict';

(() => {
    const input = Orv.$('day-date');
    let shown = false;
    let request = 0; // answers to an older date that arrive late are dropped

    function list(boxId, listId, items) {
        const ul = Orv.$(listId);
        Orv.clear(ul);
        for (const item of items) {
            ul.appendChild(Orv.el('li', '', item));
        }
        Orv.$(boxId).hidden = items.length === 0;
    }

    function problemText(p) {
        const parts = [];
        if (p.row) {
            parts.push(`第 ${p.row} 行`);
        }
        if (p.time) {
            parts.push(p.time);
        }
        let text = parts.length ? `${parts.join('　')}：${p.reasonText}` : p.reasonText;
        if (p.byRow) {
            text += `（因第 ${p.byRow} 行）`;
        }
        if (p.path) {
            text += `　${p.path}`;
        }
        return text;
    }

    function render(day) {
        Orv.$('day-title').textContent = `${day.date}　${day.weekdayName || ''}`;
        // The reason already carries the remark, cut to a line's length.
        Orv.$('day-plan').textContent = day.plan ? day.plan.reason || '' : '';
        Orv.$('day-stop').hidden = !day.stopDay;
        const message = Orv.$('day-message');
        Orv.showMessage(
            message, day.error ? `无法检查这一天：${day.error}` : day.tableNote || '', false);

        list('day-problems-box', 'day-problems', (day.problems || []).map(problemText));
        list('day-doubts-box', 'day-doubts', day.calendarDoubts || []);

        const body = Orv.$('day-rows');
        Orv.clear(body);
        const rows = day.rows || [];
        for (const row of rows) {
            const tr = Orv.el('tr');
            tr.dataset.row = row.row;
            tr.appendChild(Orv.el('td', 'num', row.row));
            tr.appendChild(Orv.el('td', 'time', row.start || '接续'));
            tr.appendChild(Orv.el('td', 'label', row.label));
            tr.appendChild(Orv.el('td', 'file', row.file));
            tr.appendChild(Orv.el('td', 'time', row.stop));
            body.appendChild(tr);
        }
        Orv.$('day-empty').hidden = rows.length > 0 || day.stopDay;
        Orv.$('day-table').hidden = rows.length === 0;
    }

    async function load() {
        const date = input.value;
        if (!Orv.parseIsoDate(date)) {
            return;
        }
        const mine = ++request;
        try {
            const day = await Orv.api('GET', `/api/day?date=${encodeURIComponent(date)}`);
            if (mine === request) {
                render(day);
            }
        } catch (e) {
            if (mine === request) {
                Orv.showMessage(Orv.$('day-message'), e.message, false);
            }
        }
    }

    function step(days) {
        input.value = Orv.addDays(input.value, days);
        load();
    }

    input.addEventListener('change', load);
    Orv.$('day-previous').addEventListener('click', () => step(-1));
    Orv.$('day-next').addEventListener('click', () => step(1));

    Orv.pages.day = {
        show() {
            if (!shown) {
                shown = true;
                const tomorrow = new Date();
                tomorrow.setDate(tomorrow.getDate() + 1);
                input.value = Orv.isoDate(tomorrow);
            }
            load();
        },
        onTable(data, visible) {
            if (visible) {
                load();
            }
        },
        onCalendar(data, visible) {
            if (visible) {
                load();
            }
        },
    };
})();
