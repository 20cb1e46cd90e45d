// The login page: one form; a session already open goes straight to the console.
'use strict';

(() => {
    const form = Orv.$('login-form');
    const user = Orv.$('user');
    const password = Orv.$('password');
    const error = Orv.$('login-error');
    const button = Orv.$('login-button');

    fetch('/api/session', { credentials: 'same-origin' })
        .then((r) => {
            if (r.ok) {
                location.replace('/');
            }
        })
        .catch(() => {});

    form.addEventListener('submit', async (event) => {
        event.preventDefault();
        if (!user.value.trim() || !password.value) {
            Orv.showMessage(error, '请输入用户名和密码', false);
            return;
        }
        button.disabled = true;
        Orv.showMessage(error, '', false);
        try {
            await Orv.api('POST', '/api/login', { user: user.value.trim(), password: password.value });
            location.replace('/');
        } catch (e) {
            const text = e.status === 429 ? e.message || '尝试次数过多，请稍后再试' : e.message;
            Orv.showMessage(error, text, false);
            password.value = '';
            password.focus();
        } finally {
            button.disabled = false;
        }
    });
    user.focus();
})();
