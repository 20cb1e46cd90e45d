// The web console in a real browser: log in, follow a bell as it rings, stop a day in the
// calendar and find it stopped in the day view, read the as-run log, start and end the
// emergency, play a notice, log out. Screenshots of every page at a desktop and a phone size go
// to the screenshot directory.
//
//   ORVESSA_CONSOLE_URL=https://127.0.0.1:8460 ORVESSA_CONSOLE_USER=... \
//   ORVESSA_CONSOLE_PASSWORD=... node tests/browser/console_browser.mjs [SCREENSHOT_DIR]
//
// The directory may also come as ORVESSA_SCREENSHOT_DIR; without either, a new temporary one.
// Exit code 0 when every step passed, 1 at the first that did not.
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { chromium } from 'playwright-core';

const url = (process.env.ORVESSA_CONSOLE_URL || '').replace(/\/+$/, '');
const user = process.env.ORVESSA_CONSOLE_USER || '';
const password = process.env.ORVESSA_CONSOLE_PASSWORD || '';
const shots = process.argv[2] || process.env.ORVESSA_SCREENSHOT_DIR ||
    fs.mkdtempSync(path.join(os.tmpdir(), 'orvessa-console-shots-'));
const bellWaitMs = 90_000;
const demoNotice = '通知-测试.wav'; // laid out by orvessa-make-demo in the notices folder
const sizes = [
    { width: 1280, height: 800 },
    { width: 390, height: 844 },
];

if (!url || !user || !password) {
    console.error('ORVESSA_CONSOLE_URL, ORVESSA_CONSOLE_USER and ORVESSA_CONSOLE_PASSWORD are needed');
    process.exit(1);
}
// The console is only ever tested on this computer.
const host = new URL(url).hostname;
if (!['127.0.0.1', '[::1]', 'localhost'].includes(host)) {
    console.error(`refusing to test ${url}: only the loopback is tested`);
    process.exit(1);
}
fs.mkdirSync(shots, { recursive: true });

const problems = []; // what the page itself reported: script errors, refused resources

async function shoot(page, name) {
    for (const size of sizes) {
        await page.setViewportSize(size);
        await page.waitForTimeout(300);
        await page.screenshot({ path: path.join(shots, `${name}-${size.width}x${size.height}.png`), fullPage: true });
    }
    await page.setViewportSize(sizes[0]);
}

async function step(name, body) {
    const started = Date.now();
    try {
        await body();
    } catch (e) {
        throw new Error(`${name}: ${e.message}`);
    }
    console.log(`ok  ${name} (${Date.now() - started} ms)`);
}

// Clicks through `act` a confirmation that must ask `question`, and agrees to it.
async function confirmed(page, question, act) {
    let asked = '';
    page.once('dialog', async (dialog) => {
        asked = dialog.type() === 'confirm' ? dialog.message() : `a ${dialog.type()}`;
        await dialog.accept();
    });
    await act();
    if (asked !== question) {
        throw new Error(asked ? `the page asked ${asked}, not ${question}` : `the page did not ask ${question}`);
    }
}

// Waits for `selector`, or fails at once with the refusal the page shows instead.
async function shownOrRefused(page, selector) {
    const refusal = '#today-action-message.error:not(:empty)';
    await page.locator(`${selector}, ${refusal}`).first().waitFor({ state: 'attached', timeout: 10_000 });
    if (await page.locator(refusal).count() > 0) {
        throw new Error(`the console refused: ${await page.textContent('#today-action-message')}`);
    }
}

function isoDate(d) {
    const p = (n) => String(n).padStart(2, '0');
    return `${d.getFullYear()}-${p(d.getMonth() + 1)}-${p(d.getDate())}`;
}

async function run(page) {
    let stoppedDate = '';
    const remark = `浏览器测试 ${Date.now() % 100000}`;

    await step('the console sends a browser without a session to the login page', async () => {
        await page.goto(`${url}/`);
        await page.waitForURL(/\/login$/, { timeout: 10_000 });
        await page.locator('#login-form').waitFor({ timeout: 10_000 });
        await shoot(page, 'login');
    });

    await step('a wrong password is refused with a reason', async () => {
        await page.fill('#user', user);
        await page.fill('#password', `${password}-wrong`);
        await page.click('#login-button');
        await page.locator('#login-error:not(:empty)').waitFor({ timeout: 10_000 });
        if (!page.url().endsWith('/login')) {
            throw new Error('left the login page with a wrong password');
        }
    });

    await step('logging in opens today\'s timeline', async () => {
        await page.fill('#user', user);
        await page.fill('#password', password);
        await page.click('#login-button');
        await page.waitForURL((u) => u.pathname === '/', { timeout: 10_000 });
        await page.locator('#timeline-rows tr').first().waitFor({ timeout: 15_000 });
        const who = await page.textContent('#who-user');
        if (who !== user) {
            throw new Error(`the top bar names ${who}, not ${user}`);
        }
        await page.locator('#today-date:not(:has-text("—"))').waitFor({ timeout: 10_000 });
        await shoot(page, 'today');
    });

    await step('the row marked 下一个 turns 已播 when its bell rings', async () => {
        const next = page.locator('#timeline-rows tr[data-state="next"]').first();
        await next.waitFor({ timeout: 10_000 });
        const row = await next.getAttribute('data-row');
        const badge = await next.locator('.badge').textContent();
        if (badge !== '下一个') {
            throw new Error(`row ${row} is next but reads ${badge}`);
        }
        const played = page.locator(`#timeline-rows tr[data-row="${row}"][data-state="played"] .badge`);
        await played.waitFor({ timeout: bellWaitMs });
        const text = await played.textContent();
        if (!text.startsWith('已播')) {
            throw new Error(`row ${row} played but reads ${text}`);
        }
        await shoot(page, 'today-played');
    });

    await step('a day set to 停播 in 校历 shows as a stop day', async () => {
        await page.click('.tabs a[data-page="calendar"]');
        await page.locator('#calendar-grid .day').first().waitFor({ timeout: 10_000 });
        await page.locator('#calendar-form-box:not([hidden])').waitFor({ timeout: 10_000 });
        const today = isoDate(new Date());
        const pickable = async () => page.$$eval('#calendar-grid .day[data-state="weekday-table"]',
            (days, after) => days.map((d) => d.dataset.date).filter((d) => d > after), today);
        let dates = await pickable();
        if (dates.length === 0) { // the last days of a year: take one of the next
            const year = String(new Date().getFullYear() + 1);
            await page.selectOption('#calendar-year', year);
            await page.locator(`#calendar-grid .day[data-date^="${year}-"]`).first().waitFor({ timeout: 10_000 });
            dates = await pickable();
        }
        if (dates.length === 0) {
            throw new Error('no broadcast day after today to stop');
        }
        stoppedDate = dates[0];
        await page.click(`#calendar-grid .day[data-date="${stoppedDate}"]`);
        if ((await page.inputValue('#calendar-first')) !== stoppedDate) {
            throw new Error('clicking the day did not choose it');
        }
        await page.check('#calendar-form input[value="stop"]');
        await page.fill('#calendar-remark', remark);
        await page.click('#calendar-apply');
        await page.locator('#calendar-message.ok:has-text("已保存")').waitFor({ timeout: 10_000 });
        await page.locator(`#calendar-grid .day[data-date="${stoppedDate}"].stop-calendar`).waitFor({ timeout: 10_000 });
        await page.locator(`#calendar-entries td:text-is("${remark}")`).waitFor({ timeout: 10_000 });
        await shoot(page, 'calendar');
    });

    await step('日程 of that day says it does not broadcast', async () => {
        await page.click('.tabs a[data-page="day"]');
        await page.fill('#day-date', stoppedDate);
        await page.dispatchEvent('#day-date', 'change');
        await page.locator(`#day-title:has-text("${stoppedDate}")`).waitFor({ timeout: 10_000 });
        await page.locator('#day-stop:not([hidden]):has-text("这一天不播出")').waitFor({ timeout: 10_000 });
        await shoot(page, 'day');
    });

    await step('播出记录 shows a day\'s lines and offers the CSV', async () => {
        await page.click('.tabs a[data-page="asrun"]');
        await page.locator('#asrun-date option').first().waitFor({ state: 'attached', timeout: 10_000 });
        await page.locator('#asrun-lines tr, #asrun-empty:not([hidden])').first().waitFor({ timeout: 10_000 });
        const href = await page.getAttribute('#asrun-csv', 'href');
        if (!/format=csv/.test(href) || !/date=\d{4}-\d{2}-\d{2}/.test(href)) {
            throw new Error(`the download link is ${href}`);
        }
        const csv = await page.request.get(new URL(href, url).href);
        if (!csv.ok() || !(csv.headers()['content-type'] || '').startsWith('text/csv')) {
            throw new Error(`the CSV answered ${csv.status()} ${csv.headers()['content-type']}`);
        }
        await shoot(page, 'asrun');
    });

    await step('an operator starts the emergency and the banner shows', async () => {
        await page.click('.tabs a[data-page="today"]');
        await page.locator('#emergency-start:visible').waitFor({ timeout: 10_000 });
        await confirmed(page, '确定要启动紧急广播吗？', () => page.click('#emergency-start'));
        await shownOrRefused(page, '#emergency-banner:not([hidden])');
        const since = await page.textContent('#emergency-since');
        if (!/\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}/.test(since) || !since.includes(user)) {
            throw new Error(`the banner says ${since}, not since when and by ${user}`);
        }
        if (await page.isVisible('#emergency-start')) {
            throw new Error('the start button is still offered during the emergency');
        }
        const playable = await page.$$eval('#notice-list button', (b) => b.filter((x) => !x.disabled).length);
        if (playable > 0) {
            throw new Error(`${playable} notices can still be played during the emergency`);
        }
        const status = await (await page.request.get(`${url}/api/status`)).json();
        if (!status.emergency) {
            throw new Error('the status says there is no emergency');
        }
        await shoot(page, 'today-emergency');
        // The banner is the console's, not only the 今日 page's.
        await page.click('.tabs a[data-page="asrun"]');
        await page.locator('#emergency-banner:visible').waitFor({ timeout: 5_000 });
        await page.click('.tabs a[data-page="today"]');
    });

    await step('ending it clears the banner', async () => {
        await confirmed(page, '确定要结束紧急广播吗？', () => page.click('#emergency-end'));
        await shownOrRefused(page, '#emergency-banner[hidden]');
        await page.locator('#emergency-start:visible:enabled').waitFor({ timeout: 10_000 });
        const status = await (await page.request.get(`${url}/api/status`)).json();
        if (status.emergency !== null) {
            throw new Error(`the status still has the emergency ${JSON.stringify(status.emergency)}`);
        }
        await shoot(page, 'today-emergency-ended');
    });

    await step('a notice is played from 插播', async () => {
        const notice = page.locator(`#notice-list li[data-file="${demoNotice}"]`);
        await notice.or(page.locator('#notice-empty:not([hidden])')).first().waitFor({ timeout: 10_000 });
        if (await notice.count() === 0) {
            throw new Error(`${demoNotice} is not listed in 插播`);
        }
        await notice.locator('button:text-is("播放")').click();
        await shownOrRefused(page, `#notice-playing:not([hidden]):has-text("正在插播：${demoNotice}")`);
        if (await notice.locator('button').isEnabled()) {
            throw new Error('the notice can be played again while it plays');
        }
        await shoot(page, 'today-notice');
        // A two-second notice: it ends and can be played again.
        await page.locator('#notice-playing[hidden]').waitFor({ state: 'attached', timeout: 20_000 });
        await notice.locator('button:enabled').waitFor({ timeout: 5_000 });
    });

    const programPid = Number(process.env.ORVESSA_PROGRAM_PID || 0);
    await step('a broadcast PC out of reach turns the page grey-red and locks it', async () => {
        if (!(programPid > 0)) {
            throw new Error('the program\'s process is not known');
        }
        process.kill(programPid, 'SIGSTOP');
        try {
            await page.locator('body.lost').waitFor({ state: 'attached', timeout: 10_000 });
            const banner = await page.locator('#connection').innerText();
            if (!banner.includes('与广播电脑失去联系') || !/最后联系：\d\d:\d\d:\d\d/.test(banner)) {
                throw new Error(`the banner says "${banner}"`);
            }
            if (!await page.evaluate(() => document.querySelector('main').inert)) {
                throw new Error('the page can still be used');
            }
            const before = await page.locator('#next-countdown').innerText();
            await page.waitForTimeout(2000);
            const after = await page.locator('#next-countdown').innerText();
            if (after !== before) {
                throw new Error(`the countdown goes on: ${before} -> ${after}`);
            }
            await shoot(page, 'today-lost');
        } finally {
            process.kill(programPid, 'SIGCONT');
        }
        await page.locator('body:not(.lost)').waitFor({ state: 'attached', timeout: 15_000 });
        await page.locator('#connection').waitFor({ state: 'hidden', timeout: 15_000 });
    });

    await step('退出 ends the session', async () => {
        await page.click('#logout');
        await page.waitForURL(/\/login$/, { timeout: 10_000 });
        await page.locator('#login-form').waitFor({ timeout: 10_000 });
        await page.goto(`${url}/`);
        await page.waitForURL(/\/login$/, { timeout: 10_000 });
        await shoot(page, 'logged-out');
    });

    if (problems.length > 0) {
        throw new Error(`the pages reported:\n  ${problems.join('\n  ')}`);
    }
}

const browser = await chromium.launch({ executablePath: '/usr/bin/chromium', args: ['--no-sandbox'] });
let failed = false;
try {
    // The console's certificate is self-signed; its fingerprint is checked by people, not here.
    const context = await browser.newContext({ ignoreHTTPSErrors: true, viewport: sizes[0], locale: 'zh-CN' });
    const page = await context.newPage();
    page.setDefaultTimeout(15_000);
    page.on('pageerror', (e) => problems.push(`script error: ${e.message}`));
    page.on('console', (m) => {
        // A refused inline script or style means a page broke the security policy.
        if (m.type() === 'error' && /Content Security Policy|Refused to/i.test(m.text())) {
            problems.push(m.text());
        }
    });
    await run(page);
    console.log(`all steps passed; screenshots in ${shots}`);
} catch (e) {
    failed = true;
    console.error(`FAILED ${e.message}`);
} finally {
    await browser.close();
}
process.exit(failed ? 1 : 0);
