// 今日: the live status from the event stream and today's timeline.
'use strict';

(() => {
    let status = null;
    let receivedAt = 0; // performance.now() when `status` came: the countdown runs from there
    let refreshTimer = 0;
    let loaded = false;
    let acting = 0; // requests under way: an alert button pressed twice starts nothing twice

    const stateText = {
        played: '已播',
        playing: '正在播放',
        next: '下一个',
        later: '稍后',
        skipped: '未播',
        missing: '文件缺失',
        passed: '已过',
    };

    const kindText = { media: '声音或视频', page: '网页', shell: '交给桌面程序打开' };

    function secondsSinceReceipt() {
        return (performance.now() - receivedAt) / 1000;
    }

    function renderCountdown() {
        const countdown = Orv.$('next-countdown');
        if (!status || !status.nextBell) {
            countdown.textContent = '—';
            return;
        }
        const left = status.nextBell.inSeconds - secondsSinceReceipt();
        countdown.textContent = left > 0 ? Orv.formatSeconds(Math.ceil(left)) : '即将播出';
    }

    function renderPlaying() {
        const playing = status && status.playing;
        const progress = Orv.$('playing-progress');
        const time = Orv.$('playing-time');
        Orv.$('stop-playing').disabled = !playing;
        if (!playing) {
            Orv.$('playing-label').textContent = '没有在播放';
            progress.hidden = true;
            time.textContent = '';
            return;
        }
        Orv.$('playing-label').textContent = `第 ${playing.row} 行　${playing.label || ''}`;
        const hasLength = playing.lengthMs !== null && playing.lengthMs > 0;
        const hasPosition = playing.positionMs !== null && playing.positionMs !== undefined;
        if (hasLength && hasPosition) {
            // Between two status events the item plays on; the bar follows the clock.
            const position = Math.min(playing.lengthMs, playing.positionMs + secondsSinceReceipt() * 1000);
            progress.hidden = false;
            Orv.$('playing-bar').style.width = `${((position / playing.lengthMs) * 100).toFixed(1)}%`;
            time.textContent = `${Orv.formatSeconds(position / 1000)} / ${Orv.formatSeconds(playing.lengthMs / 1000)}`;
        } else {
            progress.hidden = true;
            time.textContent = kindText[playing.kind] || '';
        }
    }

    function renderStatus() {
        const s = status;
        Orv.$('today-date').textContent = `${s.date || ''}　${s.weekdayName || ''}`;
        const plan = Orv.$('today-plan');
        plan.textContent = s.plan ? s.plan.reason || '' : '';
        if (s.stopDay) {
            plan.textContent = `${plan.textContent}（今天不播出）`;
        }

        const next = Orv.$('next-bell');
        if (s.nextBell) {
            const b = s.nextBell;
            next.textContent = `${b.time}　第 ${b.row} 行　${b.label || ''}${b.file ? `（${b.file}）` : ''}`;
        } else {
            next.textContent = s.stopDay ? '今天不播出' : '今天没有待播的项目';
        }
        renderCountdown();
        renderPlaying();
        renderAlerts();

        const manual = s.mode === 'manual';
        const panel = Orv.$('mode-panel');
        panel.classList.toggle('manual', manual);
        panel.classList.toggle('automatic', !manual);
        Orv.$('mode-text').textContent = manual ? '手动操作' : '自动播出';
        const missed = Orv.$('manual-missed');
        missed.hidden = !(manual && s.manualMissed > 0);
        missed.textContent = `手动播出期间已有 ${s.manualMissed} 个铃声未响`;
        Orv.$('resume-automatic').hidden = !manual;

        const health = Orv.$('health');
        Orv.clear(health);
        const note = (text, kind) => health.appendChild(Orv.el('li', kind, text));
        if (s.clock && s.clock.warning) {
            note(s.clock.warning, 'bad');
        } else if (s.clock && s.clock.synchronised) {
            note('时钟正常', 'good');
        } else {
            note('时钟未与网络时间同步', 'warn');
        }
        if (s.unsaved) {
            note('主窗口有未保存的修改', 'warn');
        }
        if (s.calendarUnsaved) {
            note('校历有未保存的修改', 'warn');
        }
        if (s.lastFailure) {
            const f = s.lastFailure;
            const where = f.row ? `（第 ${f.row} 行）` : '';
            note(`最近的失败：${f.what}${f.detail ? `：${f.detail}` : ''}${where}`, 'bad');
        }
        if (s.statusLine) {
            note(s.statusLine, 'muted');
        }
        if (s.hintLine) {
            note(s.hintLine, 'muted');
        }
    }

    // The emergency and the notice: the banner for everyone, the buttons for operators, and
    // nothing to start while either is on.
    function renderAlerts() {
        const emergency = status ? status.emergency : null;
        const notice = status ? status.notice : null;
        const banner = Orv.$('emergency-banner');
        banner.hidden = !emergency;
        Orv.$('emergency-since').textContent = emergency
            ? `自 ${emergency.since}${emergency.by ? `　由 ${emergency.by} 启动` : ''}`
            : '';
        Orv.$('emergency-bar').hidden = Boolean(emergency);
        Orv.$('emergency-start').disabled = !status || acting > 0;
        Orv.$('emergency-end').disabled = !emergency || acting > 0;

        const playing = Orv.$('notice-playing');
        playing.hidden = !notice;
        playing.textContent = notice ? `正在插播：${notice}` : '';
        for (const button of document.querySelectorAll('#notice-list button')) {
            button.disabled = !status || Boolean(emergency) || Boolean(notice) || acting > 0;
        }
    }

    function renderNotices(names) {
        const list = Orv.$('notice-list');
        Orv.clear(list);
        for (const name of names) {
            const item = Orv.el('li', 'notice');
            item.dataset.file = name;
            item.appendChild(Orv.el('span', 'notice-name', name));
            const play = Orv.el('button', 'secondary op-only', '播放');
            play.type = 'button';
            play.addEventListener('click', (e) => playNotice(e.currentTarget, name));
            item.appendChild(play);
            list.appendChild(item);
        }
        Orv.$('notice-empty').hidden = names.length > 0;
        renderAlerts();
    }

    async function loadNotices() {
        try {
            const answer = await Orv.api('GET', '/api/notices');
            renderNotices((answer && answer.notices) || []);
        } catch (e) {
            Orv.showMessage(Orv.$('today-action-message'), e.message, false);
        }
    }

    function badge(row) {
        const cell = Orv.el('td', 'state');
        let text = stateText[row.state] || row.state;
        if (row.state === 'played' && row.at) {
            text = `已播 ${row.at}`;
        }
        cell.appendChild(Orv.el('span', `badge ${row.state}`, text));
        if (row.state === 'skipped' && row.reasonText) {
            cell.appendChild(Orv.el('span', 'reason', row.reasonText));
        }
        return cell;
    }

    function renderTimeline(today) {
        const body = Orv.$('timeline-rows');
        Orv.clear(body);
        Orv.$('timeline-table').textContent = today.table ? `${today.date}　作息表 ${today.table}` : today.date;
        for (const row of today.rows) {
            const tr = Orv.el('tr', `state-${row.state}`);
            tr.dataset.row = row.row;
            tr.dataset.state = row.state;
            tr.appendChild(Orv.el('td', 'num', row.row));
            tr.appendChild(Orv.el('td', 'time', row.start || '接续'));
            tr.appendChild(Orv.el('td', 'label', row.label));
            tr.appendChild(Orv.el('td', 'file', row.file));
            tr.appendChild(badge(row));
            body.appendChild(tr);
        }
        Orv.$('timeline-empty').hidden = today.rows.length > 0;
    }

    async function loadToday() {
        try {
            renderTimeline(await Orv.api('GET', '/api/today'));
        } catch (e) {
            Orv.showMessage(Orv.$('today-action-message'), e.message, false);
        }
    }

    // Several events come together at a start or a stop: one request for all of them.
    function refreshSoon() {
        clearTimeout(refreshTimer);
        refreshTimer = setTimeout(loadToday, 300);
    }

    async function act(button, method, path, body, done) {
        const message = Orv.$('today-action-message');
        button.disabled = true;
        acting += 1;
        try {
            const answer = await Orv.api(method, path, body);
            Orv.showMessage(message, done(answer), true);
        } catch (e) {
            Orv.showMessage(message, e.message, false);
        } finally {
            acting -= 1;
            button.disabled = false;
            if (path === '/api/stop') {
                renderPlaying();
            }
            renderAlerts();
        }
    }

    // The answer's state is shown at once; the status events that follow agree with it.
    function setEmergency(button, on) {
        const question = on ? '确定要启动紧急广播吗？' : '确定要结束紧急广播吗？';
        if (!window.confirm(question)) {
            return;
        }
        act(button, 'POST', '/api/emergency', { on }, (a) => {
            if (status && a) {
                status.emergency = a.emergency || null;
            }
            return on ? '已启动紧急广播' : '已结束紧急广播';
        });
    }

    function playNotice(button, name) {
        act(button, 'POST', '/api/announce', { file: name }, () => {
            if (status && !status.notice) {
                status.notice = name;
            }
            return `开始插播：${name}`;
        });
    }

    Orv.$('resume-automatic').addEventListener('click', (e) =>
        act(e.currentTarget, 'POST', '/api/mode', { mode: 'automatic' }, () => '已恢复自动播出'));
    Orv.$('emergency-start').addEventListener('click', (e) => setEmergency(e.currentTarget, true));
    Orv.$('emergency-end').addEventListener('click', (e) => setEmergency(e.currentTarget, false));
    Orv.$('stop-playing').addEventListener('click', (e) =>
        act(e.currentTarget, 'POST', '/api/stop', undefined,
            (a) => (a && a.stopped ? '已停止当前播放' : '没有正在播放的项目')));

    // Out of reach, the page counts down to nothing: the bell may never ring.
    setInterval(() => {
        if (status && !Orv.lost) {
            renderCountdown();
            renderPlaying();
        }
    }, 500);

    Orv.pages.today = {
        async show() {
            if (!loaded) {
                loaded = true;
                try {
                    this.onStatus(await Orv.api('GET', '/api/status'));
                } catch (e) {
                    Orv.showMessage(Orv.$('today-action-message'), e.message, false);
                }
            }
            loadToday();
            loadNotices();
        },
        onStatus(data) {
            const before = status;
            status = data;
            receivedAt = performance.now();
            renderStatus();
            // The date or the next row changed without a broadcast event reaching us.
            if (loaded && before && (before.date !== data.date ||
                           (before.nextBell && before.nextBell.row) !== (data.nextBell && data.nextBell.row))) {
                refreshSoon();
            }
        },
        onBroadcast() {
            if (loaded) {
                refreshSoon();
            }
        },
        onTable() {
            if (loaded) {
                refreshSoon();
            }
        },
        onAlert(data) {
            if (status) {
                status.emergency = data.emergency || null;
                status.notice = data.notice || null;
                renderAlerts();
            }
        },
        onReconnect() {
            if (loaded) {
                refreshSoon();
                loadNotices();
            }
        },
    };
})();
