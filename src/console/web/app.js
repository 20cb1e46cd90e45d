// The console's frame: the session, the tabs (by the address's #hash) and the event stream
// that keeps the open page current.
'use strict';

(() => {
    const defaultPage = 'today';
    let current = '';

    function pageFromHash() {
        const name = location.hash.replace(/^#/, '');
        return Orv.pages[name] ? name : defaultPage;
    }

    function showPage() {
        const name = pageFromHash();
        for (const link of document.querySelectorAll('.tabs a')) {
            link.classList.toggle('active', link.dataset.page === name);
        }
        for (const section of document.querySelectorAll('.page')) {
            section.hidden = section.id !== `page-${name}`;
        }
        if (current !== name) {
            current = name;
            Orv.pages[name].show();
        }
    }

    function dispatch(kind, data) {
        for (const page of Object.values(Orv.pages)) {
            if (typeof page[kind] === 'function') {
                page[kind](data, page === Orv.pages[current]);
            }
        }
    }

    // Down is loud: the status comes each second, by the stream or, while the stream is quiet or
    // refused, by asking for it. Past three seconds without it the whole page says that the
    // broadcast PC is out of reach and since when, the countdown stops and nothing can be
    // pressed: a page that looks normal while no bell can ring misleads the office.
    const lostAfterMs = 3000;
    const askAfterMs = 1500;
    let lastContact = Date.now();
    let asking = false;
    Orv.lost = false;

    function clockText(ms) {
        const t = new Date(ms);
        return `${Orv.pad2(t.getHours())}:${Orv.pad2(t.getMinutes())}:${Orv.pad2(t.getSeconds())}`;
    }

    function setLost(lost) {
        Orv.lost = lost;
        document.body.classList.toggle('lost', lost);
        for (const node of document.querySelectorAll('main, .emergency-banner, .tabs')) {
            node.inert = lost;
        }
        const banner = Orv.$('connection');
        banner.classList.toggle('lost', lost);
        banner.textContent = lost
            ? `与广播电脑失去联系（最后联系：${clockText(lastContact)}）`
            : '连接中断，正在重连…';
        banner.hidden = !lost;
    }

    function contact() {
        lastContact = Date.now();
        if (Orv.lost) {
            setLost(false);
        }
    }

    async function askForStatus() {
        asking = true;
        try {
            const status = await Orv.api('GET', '/api/status');
            contact();
            dispatch('onStatus', status);
        } catch (e) {
            // still out of reach: the next second asks again
        } finally {
            asking = false;
        }
    }

    function watchContact() {
        setInterval(() => {
            const quiet = Date.now() - lastContact;
            if (quiet > lostAfterMs && !Orv.lost) {
                setLost(true);
            }
            if (quiet >= askAfterMs && !asking) {
                askForStatus();
            }
        }, 1000);
    }

    // EventSource reconnects by itself after a dropped connection; while it is down the banner
    // says so. A refused stream (the program restarting, the session gone) is not retried by the
    // browser, so it is opened again here, a little later each time. An error may also mean the
    // session ended, which the session request turns into a visit to the login page.
    let retryMs = 2000;
    function follow() {
        const banner = Orv.$('connection');
        const source = new EventSource('/api/events');
        source.addEventListener('open', () => {
            banner.hidden = true;
            retryMs = 2000;
            dispatch('onReconnect');
        });
        source.addEventListener('error', () => {
            banner.hidden = false;
            if (!Orv.lost) {
                banner.textContent = '连接中断，正在重连…';
            }
            if (source.readyState === EventSource.CLOSED) {
                source.close();
                Orv.api('GET', '/api/session').catch(() => {});
                setTimeout(follow, retryMs);
                retryMs = Math.min(retryMs * 2, 30000);
            }
        });
        for (const kind of ['status', 'broadcast', 'table', 'calendar', 'alert']) {
            source.addEventListener(kind, (event) => {
                let data = {};
                try {
                    data = event.data ? JSON.parse(event.data) : {};
                } catch (e) {
                    return;
                }
                if (kind === 'status') {
                    contact();
                }
                dispatch(`on${kind[0].toUpperCase()}${kind.slice(1)}`, data);
            });
        }
    }

    async function start() {
        let session;
        try {
            session = await Orv.api('GET', '/api/session');
        } catch (e) {
            return; // a 401 is already on its way to the login page
        }
        Orv.session = session;
        Orv.setCsrfToken(session.csrfToken);
        Orv.$('who-user').textContent = session.user;
        Orv.$('who-role').textContent = Orv.roleNames[session.role] || session.role;
        document.body.classList.toggle('role-viewer', session.role !== 'operator');
        document.body.classList.toggle('role-operator', session.role === 'operator');

        Orv.$('logout').addEventListener('click', async () => {
            try {
                await Orv.api('POST', '/api/logout', {});
            } catch (e) {
                // gone either way
            }
            Orv.toLogin();
        });
        window.addEventListener('hashchange', showPage);
        showPage();
        follow();
        watchContact();
    }

    start();
})();
