// Shared by every page of the console: requests to the API, small DOM and time helpers.
'use strict';

const Orv = (() => {
    let csrfToken = '';
    let leaving = false;

    // To the login page, once: a second navigation would cut the first short.
    function toLogin() {
        if (!leaving) {
            leaving = true;
            location.assign('/login');
        }
    }

    class ApiError extends Error {
        constructor(status, message, data) {
            super(message);
            this.status = status;
            this.data = data;
        }
    }

    // A JSON request. POST and PUT carry the session's CSRF token; a 401 anywhere but at the
    // login itself means the session is gone, so the browser goes to the login page.
    async function api(method, path, body) {
        const options = { method, headers: { Accept: 'application/json' }, credentials: 'same-origin' };
        if (body !== undefined) {
            options.headers['Content-Type'] = 'application/json';
            options.body = JSON.stringify(body);
        }
        if (method === 'POST' || method === 'PUT') {
            options.headers['X-CSRF-Token'] = csrfToken;
        }
        let response;
        try {
            response = await fetch(path, options);
        } catch (e) {
            throw new ApiError(0, '无法连接到 Orvessa，请检查网络', null);
        }
        const text = await response.text();
        let data = null;
        try {
            data = text ? JSON.parse(text) : null;
        } catch (e) {
            data = null;
        }
        if (response.status === 401 && path !== '/api/login') {
            toLogin();
            throw new ApiError(401, '登录已过期，请重新登录', data);
        }
        if (!response.ok) {
            const message = data && data.error ? data.error : `请求失败（${response.status}）`;
            throw new ApiError(response.status, message, data);
        }
        return data;
    }

    function setCsrfToken(token) {
        csrfToken = token || '';
    }

    // el('td', 'time', '08:00:00'): an element with a class and a text, never HTML.
    function el(tag, className, text) {
        const node = document.createElement(tag);
        if (className) {
            node.className = className;
        }
        if (text !== undefined && text !== null) {
            node.textContent = String(text);
        }
        return node;
    }

    function clear(node) {
        while (node.firstChild) {
            node.removeChild(node.firstChild);
        }
    }

    function $(id) {
        return document.getElementById(id);
    }

    function pad2(n) {
        return String(n).padStart(2, '0');
    }

    // 125 → "2:05", 3725 → "1:02:05"; never negative.
    function formatSeconds(seconds) {
        const s = Math.max(0, Math.floor(seconds));
        const h = Math.floor(s / 3600);
        const m = Math.floor((s % 3600) / 60);
        const rest = s % 60;
        return h > 0 ? `${h}:${pad2(m)}:${pad2(rest)}` : `${m}:${pad2(rest)}`;
    }

    // A Date as YYYY-MM-DD in the browser's own time zone (not UTC, which toISOString gives).
    function isoDate(date) {
        return `${date.getFullYear()}-${pad2(date.getMonth() + 1)}-${pad2(date.getDate())}`;
    }

    // "2027-02-06" → a local Date at noon, away from any daylight-saving edge.
    function parseIsoDate(text) {
        const m = /^(\d{4})-(\d{2})-(\d{2})$/.exec(text || '');
        return m ? new Date(Number(m[1]), Number(m[2]) - 1, Number(m[3]), 12) : null;
    }

    function addDays(text, days) {
        const d = parseIsoDate(text);
        if (!d) {
            return text;
        }
        d.setDate(d.getDate() + days);
        return isoDate(d);
    }

    const weekdayNames = ['星期日', '星期一', '星期二', '星期三', '星期四', '星期五', '星期六'];

    const roleNames = { viewer: '查看者', operator: '操作员' };

    function showMessage(node, text, ok) {
        node.textContent = text || '';
        node.classList.toggle('ok', Boolean(ok));
        node.classList.toggle('error', !ok && Boolean(text));
    }

    return {
        // Each tab's script registers itself here: { show(), event handlers... }.
        pages: {},
        // { user, role } once the session is known.
        session: null,
        isOperator: () => Boolean(Orv.session && Orv.session.role === 'operator'),
        ApiError,
        api,
        toLogin,
        setCsrfToken,
        el,
        clear,
        $,
        pad2,
        formatSeconds,
        isoDate,
        parseIsoDate,
        addDays,
        weekdayNames,
        roleNames,
        showMessage,
    };
})();
