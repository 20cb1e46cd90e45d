// 校历: the year at a glance, and the form that sets a day or a range to usual, stop or a table.
'use strict';

(() => {
    const yearPicker = Orv.$('calendar-year');
    const first = Orv.$('calendar-first');
    const last = Orv.$('calendar-last');
    const remark = Orv.$('calendar-remark');
    const tablePicker = Orv.$('calendar-table');
    const message = Orv.$('calendar-message');
    let calendar = null;
    let shown = false;

    const stopText = { weekday: '星期停播', holiday: '节假日停播', calendar: '校历停播' };
    const monthHeads = ['一', '二', '三', '四', '五', '六', '日'];

    function dayClass(day) {
        if (day.stop && day.stop !== 'no') {
            return `stop-${day.stop}`;
        }
        return day.byCalendar ? 'calendar-table' : 'weekday-table';
    }

    function tableName(number) {
        return (calendar && calendar.tableNames[number - 1]) || `作息表 ${number}`;
    }

    function describe(day) {
        if (day.stop && day.stop !== 'no') {
            return `${day.date}　${stopText[day.stop] || '停播'}`;
        }
        return `${day.date}　按${tableName(day.table)}播出${day.byCalendar ? '（校历指定）' : ''}`;
    }

    // The chosen range, first ≤ last; last is empty for a single day.
    function range() {
        let a = first.value;
        let b = last.value;
        if (a && b && b < a) {
            [a, b] = [b, a];
        }
        return { a, b: b === a ? '' : b };
    }

    function markSelection() {
        const { a, b } = range();
        for (const button of document.querySelectorAll('#calendar-grid .day')) {
            const d = button.dataset.date;
            button.classList.toggle('selected', Boolean(a) && (b ? d >= a && d <= b : d === a));
        }
    }

    function pick(event) {
        const date = event.currentTarget.dataset.date;
        if (event.shiftKey && first.value) {
            last.value = date;
        } else {
            first.value = date;
            last.value = '';
        }
        const day = calendar.days.find((d) => d.date === date);
        Orv.showMessage(message, day ? describe(day) : date, true);
        markSelection();
        // On a phone the form is a long scroll above the chosen day.
        const box = Orv.$('calendar-form-box');
        if (!box.hidden && window.matchMedia('(max-width: 640px)').matches) {
            box.scrollIntoView({ behavior: 'smooth', block: 'start' });
        }
    }

    function renderGrid() {
        const grid = Orv.$('calendar-grid');
        Orv.clear(grid);
        const byDate = new Map(calendar.days.map((d) => [d.date, d]));
        const today = Orv.isoDate(new Date());
        for (let month = 0; month < 12; month++) {
            const box = Orv.el('div', 'month');
            box.appendChild(Orv.el('h3', '', `${month + 1} 月`));
            const days = Orv.el('div', 'month-days');
            for (const head of monthHeads) {
                days.appendChild(Orv.el('span', 'head', head));
            }
            const start = new Date(calendar.year, month, 1, 12);
            for (let i = 0; i < (start.getDay() + 6) % 7; i++) {
                days.appendChild(Orv.el('span'));
            }
            for (const d = start; d.getMonth() === month; d.setDate(d.getDate() + 1)) {
                const date = Orv.isoDate(d);
                const info = byDate.get(date);
                const button = Orv.el('button', `day ${info ? dayClass(info) : ''}`, d.getDate());
                button.type = 'button';
                button.dataset.date = date;
                if (info) {
                    button.title = describe(info);
                    button.dataset.state = dayClass(info);
                }
                if (date === today) {
                    button.classList.add('today');
                }
                button.addEventListener('click', pick);
                days.appendChild(button);
            }
            box.appendChild(days);
            grid.appendChild(box);
        }
        markSelection();
    }

    function renderEntries() {
        const body = Orv.$('calendar-entries');
        Orv.clear(body);
        for (const entry of calendar.entries) {
            const tr = Orv.el('tr');
            tr.appendChild(Orv.el('td', 'time', entry.first));
            tr.appendChild(Orv.el('td', 'time', entry.last));
            tr.appendChild(Orv.el('td', '', entry.planName));
            tr.appendChild(Orv.el('td', '', entry.remark));
            body.appendChild(tr);
        }
        Orv.$('calendar-no-entries').hidden = calendar.entries.length > 0;
    }

    function renderForm() {
        const editable = calendar.editable && Orv.isOperator();
        Orv.$('calendar-form-box').hidden = !editable;
        const readonly = Orv.$('calendar-readonly');
        readonly.hidden = editable;
        readonly.textContent = !Orv.isOperator()
            ? '只有操作员可以修改校历。'
            : calendar.uneditableReason || '现在不能修改校历。';
        const chosen = tablePicker.value;
        Orv.clear(tablePicker);
        calendar.tableNames.forEach((name, i) => tablePicker.appendChild(new Option(`${i + 1}　${name}`, String(i + 1))));
        tablePicker.value = chosen || '1';
        const issues = [...(calendar.problems || []), ...(calendar.conflicts || [])];
        const ul = Orv.$('calendar-problems');
        Orv.clear(ul);
        for (const issue of issues) {
            ul.appendChild(Orv.el('li', '', issue));
        }
        Orv.$('calendar-problems-box').hidden = issues.length === 0;
    }

    async function load(keepMessage) {
        try {
            calendar = await Orv.api('GET', `/api/calendar?year=${encodeURIComponent(yearPicker.value)}`);
        } catch (e) {
            Orv.showMessage(message, e.message, false);
            return;
        }
        renderForm();
        renderGrid();
        renderEntries();
        if (!keepMessage) {
            Orv.showMessage(message, '', false);
        }
    }

    async function apply(event) {
        event.preventDefault();
        const { a, b } = range();
        if (!Orv.parseIsoDate(a)) {
            Orv.showMessage(message, '请先选择日期', false);
            return;
        }
        const plan = document.querySelector('#calendar-form input[name="plan"]:checked').value;
        const body = { version: calendar.version, plan, remark: remark.value.trim() };
        if (b) {
            body.last = b;
        }
        if (plan === 'table') {
            body.table = Number(tablePicker.value);
        }
        const button = Orv.$('calendar-apply');
        button.disabled = true;
        try {
            await Orv.api('PUT', `/api/calendar/${a}`, body);
            Orv.showMessage(message, b ? `已保存 ${a} 至 ${b}` : `已保存 ${a}`, true);
            await load(true);
        } catch (e) {
            Orv.showMessage(message, e.message, false);
            // Someone else changed the calendar first: show what it is now.
            if (e.status === 409) {
                await load(true);
            }
        } finally {
            button.disabled = false;
        }
    }

    function fillYears() {
        const now = new Date().getFullYear();
        for (let y = now - 1; y <= now + 2; y++) {
            yearPicker.appendChild(new Option(`${y} 年`, String(y)));
        }
        yearPicker.value = String(now);
    }

    tablePicker.addEventListener('change', () => {
        document.querySelector('#calendar-form input[value="table"]').checked = true;
    });
    first.addEventListener('change', markSelection);
    last.addEventListener('change', markSelection);
    yearPicker.addEventListener('change', () => load(false));
    Orv.$('calendar-form').addEventListener('submit', apply);

    Orv.pages.calendar = {
        show() {
            if (!shown) {
                shown = true;
                fillYears();
            }
            load(false);
        },
        onCalendar(data, visible) {
            if (visible) {
                load(true);
            }
        },
        onTable(data, visible) {
            if (visible) {
                load(true);
            }
        },
    };
})();
