#include "api/status_page.h"

namespace kv {

namespace {

constexpr const char* kHtmlHead = R"(<!DOCTYPE html>
<html lang=")";

constexpr const char* kHtmlBody = R"(">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>KV4910</title>
<link rel="stylesheet" href="/status.css">
<script src="/status.js" defer></script>
</head>
<body>
<form id="login" hidden>
  <label id="token-label" for="token"></label>
  <input id="token" type="password" autocomplete="off">
  <button id="token-go" type="submit"></button>
  <p id="login-error" class="bad"></p>
</form>
<main id="page" hidden>
  <h1 id="title"></h1>
  <p id="state"></p>
  <p id="conditions" class="bad"></p>
  <div id="actions">
    <button id="x-report" type="button" hidden></button>
    <button id="drawer" type="button" hidden></button>
    <span id="action-result"></span>
  </div>
  <h2 id="numbers-title"></h2>
  <dl id="numbers"></dl>
  <h2 id="recent-title"></h2>
  <table id="recent"><thead><tr id="recent-head"></tr></thead><tbody id="recent-rows"></tbody></table>
  <h2 id="errors-title"></h2>
  <pre id="errors"></pre>
  <p id="stale" class="bad"></p>
</main>
</body>
</html>
)";

constexpr const char* kCss = R"(body { font-family: sans-serif; margin: 1em 2em; color: #222; }
h1 { font-size: 1.4em; }
h2 { font-size: 1.1em; margin-top: 1.5em; }
#state { font-size: 1.3em; font-weight: bold; }
.ok { color: #176317; }
.bad { color: #a31515; }
dl { display: grid; grid-template-columns: max-content auto; gap: 0.2em 1em; }
dt { font-weight: bold; }
dd { margin: 0; }
table { border-collapse: collapse; }
th, td { border: 1px solid #bbb; padding: 0.2em 0.6em; text-align: left; }
td.number { text-align: right; }
pre { background: #f4f4f4; padding: 0.5em; white-space: pre-wrap; word-break: break-all; }
button { margin-right: 0.5em; padding: 0.4em 1em; }
)";

constexpr const char* kScript = R"JS('use strict';
const TEXTS = {
  sk: {
    title: 'Tlačiareň KV4910', tokenLabel: 'Prístupový token', tokenGo: 'Prihlásiť',
    tokenWrong: 'Nesprávny token', ready: 'Pripravená', notReady: 'Nepripravená',
    busy: ' (práve pracuje)', xReport: 'X-uzávierka', drawer: 'Otvoriť zásuvku',
    done: 'Hotovo', failed: 'Nepodarilo sa', numbers: 'Čísla', recent: 'Posledné doklady',
    errors: 'Posledné riadky FM_err.txt', noErrors: '(žiadne)', stale: 'Údaje sa nedajú načítať',
    documentNumber: 'Číslo dokladu', closingNumber: 'Číslo dennej uzávierky',
    lastExchange: 'Posledná komunikácia s tlačiarňou', lastConfirmed: 'Posledný potvrdený doklad',
    ago: (s) => 'pred ' + s + ' s', never: 'ešte nie', errorFile: 'Veľkosť FM_err.txt', bytes: ' B',
    waiting: 'Čakajúci vstupný súbor', setAside: 'Odložené vstupné súbory',
    closings: 'Denné uzávierky od spustenia', documents: 'Doklady od spustenia',
    version: 'Verzia', number: 'Číslo', time: 'Čas', total: 'Suma', source: 'Zdroj',
    outcome: 'Výsledok',
    sources: {file: 'súbor', client: 'klient', http: 'HTTP', till: 'pokladnica'},
    outcomes: {confirmed: 'potvrdený', unproven: 'nepotvrdený', failed: 'chyba', sent: 'odoslaný'},
    conditions: {S1_7: 'otvorený doklad', S1_6: 'treba dennú uzávierku', S1_5: 'uzávierka nie je povolená',
                 S1_4: 'došiel papier', S1_2: 'otvorený kryt', S2_7: 'plná fiškálna pamäť',
                 S2_6: 'chyba fiškálnej pamäte', S2_5: 'fiškálna pamäť nie je inicializovaná'},
  },
  en: {
    title: 'KV4910 printer', tokenLabel: 'Access token', tokenGo: 'Sign in',
    tokenWrong: 'Wrong token', ready: 'Ready', notReady: 'Not ready',
    busy: ' (working now)', xReport: 'X report', drawer: 'Open the drawer',
    done: 'Done', failed: 'Failed', numbers: 'Numbers', recent: 'Last documents',
    errors: 'Last lines of FM_err.txt', noErrors: '(none)', stale: 'The data cannot be read',
    documentNumber: 'Document number', closingNumber: 'Daily closing number',
    lastExchange: 'Last exchange with the printer', lastConfirmed: 'Last confirmed document',
    ago: (s) => s + ' s ago', never: 'not yet', errorFile: 'Size of FM_err.txt', bytes: ' bytes',
    waiting: 'Input file waiting', setAside: 'Input files set aside',
    closings: 'Daily closings since start', documents: 'Documents since start',
    version: 'Version', number: 'Number', time: 'Time', total: 'Total', source: 'Source',
    outcome: 'Outcome',
    sources: {file: 'file', client: 'client', http: 'HTTP', till: 'till'},
    outcomes: {confirmed: 'confirmed', unproven: 'unproven', failed: 'failed', sent: 'sent'},
    conditions: {S1_7: 'document open', S1_6: 'daily closing due', S1_5: 'closing not allowed',
                 S1_4: 'out of paper', S1_2: 'cover open', S2_7: 'fiscal memory full',
                 S2_6: 'fiscal memory error', S2_5: 'fiscal memory not initialised'},
  },
};
const T = TEXTS[document.documentElement.lang] || TEXTS.sk;
const KEY = 'kv4910-token';
const REFRESH_MS = 3000;
const $ = (id) => document.getElementById(id);
let timer = null;

function text(id, value) { $(id).textContent = value; }

function element(tag, value, cls) {
  const e = document.createElement(tag);
  e.textContent = value;
  if (cls) e.className = cls;
  return e;
}

function ask(reason) {
  sessionStorage.removeItem(KEY);
  if (timer) clearInterval(timer);
  timer = null;
  $('page').hidden = true;
  $('login').hidden = false;
  text('login-error', reason || '');
  $('token').focus();
}

function age(seconds) {
  return seconds === null || seconds === undefined ? T.never : T.ago(Math.round(seconds));
}

function show(data) {
  const status = data.status || {};
  const state = $('state');
  state.textContent = (status.ready ? T.ready : T.notReady) + (status.busy ? T.busy : '');
  state.className = status.ready ? 'ok' : 'bad';
  const flags = status.flags || {};
  text('conditions', Object.keys(T.conditions).filter((f) => flags[f]).map((f) => T.conditions[f]).join(', '));
  $('x-report').hidden = !data.actions.xReport;
  $('drawer').hidden = !data.actions.drawer;

  const numbers = $('numbers');
  numbers.replaceChildren();
  const rows = [
    [T.documentNumber, status.documentNumber], [T.closingNumber, status.closingNumber],
    [T.lastExchange, age(data.lastExchangeAgeSeconds)], [T.lastConfirmed, age(data.lastConfirmedAgeSeconds)],
    [T.documents, data.documents], [T.closings, data.dailyClosings],
    [T.errorFile, data.errorFileBytes + T.bytes], [T.waiting, data.filesWaiting],
    [T.setAside, data.filesSetAside], [T.version, data.version],
  ];
  for (const [name, value] of rows) {
    numbers.append(element('dt', name), element('dd', String(value ?? '')));
  }

  const body = $('recent-rows');
  body.replaceChildren();
  for (const d of data.recent) {
    const tr = document.createElement('tr');
    tr.append(element('td', d.number ?? '', 'number'), element('td', d.time),
              element('td', d.total === null ? '' : d.total.toFixed(2), 'number'),
              element('td', T.sources[d.source] || d.source), element('td', T.outcomes[d.outcome] || d.outcome,
                                                                        d.outcome === 'failed' || d.outcome === 'unproven' ? 'bad' : ''));
    body.append(tr);
  }
  text('errors', data.errorLines.length ? data.errorLines.join('\n') : T.noErrors);
  text('stale', '');
}

async function load() {
  const token = sessionStorage.getItem(KEY);
  if (!token) return ask();
  try {
    const answer = await fetch('/api/v1/overview', {headers: {Authorization: 'Bearer ' + token}, cache: 'no-store'});
    if (answer.status === 401) return ask(T.tokenWrong);
    if (!answer.ok) throw new Error(String(answer.status));
    show(await answer.json());
    $('login').hidden = true;
    $('page').hidden = false;
    if (!timer) timer = setInterval(load, REFRESH_MS);
  } catch (e) {
    text('stale', T.stale);
  }
}

async function command(path) {
  text('action-result', '…');
  try {
    const answer = await fetch(path, {method: 'POST', headers: {Authorization: 'Bearer ' + sessionStorage.getItem(KEY)}});
    text('action-result', answer.ok ? T.done : T.failed + ' (' + answer.status + ')');
  } catch (e) {
    text('action-result', T.failed);
  }
  load();
}

document.addEventListener('DOMContentLoaded', () => {
  text('title', T.title);
  text('token-label', T.tokenLabel);
  text('token-go', T.tokenGo);
  text('x-report', T.xReport);
  text('drawer', T.drawer);
  text('numbers-title', T.numbers);
  text('recent-title', T.recent);
  text('errors-title', T.errors);
  const head = $('recent-head');
  for (const name of [T.number, T.time, T.total, T.source, T.outcome]) head.append(element('th', name));
  $('login').addEventListener('submit', (event) => {
    event.preventDefault();
    const token = $('token').value.trim();
    $('token').value = '';
    if (!token) return;
    sessionStorage.setItem(KEY, token);
    load();
  });
  $('x-report').addEventListener('click', () => command('/api/v1/reports/x'));
  $('drawer').addEventListener('click', () => command('/api/v1/drawer'));
  load();
});
)JS";

ApiAnswer File(const char* type, std::string text) {
  ApiAnswer answer;
  answer.content_type = type;
  answer.plain = std::move(text);
  return answer;
}

}  // namespace

std::optional<ApiAnswer> StatusPageFile(std::string_view path, std::string_view language) {
  if (path == "/" || path == "/status.html")
    return File("text/html; charset=utf-8",
                std::string(kHtmlHead) + (language == "en" ? "en" : "sk") + kHtmlBody);
  if (path == "/status.js") return File("text/javascript; charset=utf-8", kScript);
  if (path == "/status.css") return File("text/css; charset=utf-8", kCss);
  return std::nullopt;
}

}  // namespace kv
