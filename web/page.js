// The page's script: languages, screens, files in, the library's answers
// out. Every figure, table, message and picture comes from the library,
// which runs in a worker (WORKER_SOURCE); this script only moves them.
// WORDS, WORKER_SOURCE, EXAMPLES (name -> base64 bytes) and VERSION are
// defined ahead of it by web/assemble.py.
'use strict';

const $ = (id) => document.getElementById(id);

// Words ---------------------------------------------------------------------

let language = 'es';

function word(key, values = {}) {
  const text = (WORDS[language] && WORDS[language][key]) || WORDS.en[key] || key;
  return text.replace(/\{(\w+)\}/g, (all, name) => (name in values ? String(values[name]) : all));
}

// Spanish where the browser's first choice between the two is Spanish.
function preferredLanguage() {
  const choices = navigator.languages && navigator.languages.length ? navigator.languages : [navigator.language || ''];
  const first = choices.find((choice) => /^(es|en)\b/i.test(choice));
  return first && /^es/i.test(first) ? 'es' : 'en';
}

function applyLanguage(chosen) {
  language = chosen;
  document.documentElement.lang = chosen;
  $('lang').value = chosen;
  document.title = word('pageTitle');
  rewordRanges();
  document.querySelectorAll('[data-w]').forEach((el) => {
    el.textContent = word(el.dataset.w, el.dataset.wValues ? JSON.parse(el.dataset.wValues) : {});
  });
  document.querySelectorAll('[data-w-label]').forEach((el) => el.setAttribute('aria-label', word(el.dataset.wLabel)));
  document.querySelectorAll('[data-w-alt]').forEach((el) => el.setAttribute('alt', word(el.dataset.wAlt)));
  $('footer').textContent = word('footer', { version: VERSION });
}

// An element with its text from the words (and kept in step with the language).
function worded(tag, key, values) {
  const el = document.createElement(tag);
  el.dataset.w = key;
  if (values) el.dataset.wValues = JSON.stringify(values);
  el.textContent = word(key, values);
  return el;
}

// Screens -------------------------------------------------------------------

const SCREENS = ['nights', 'design', 'simulation'];

function showScreen(name) {
  for (const screen of SCREENS) {
    $(`screen-${screen}`).hidden = screen !== name;
    const tab = $(`tab-${screen}`);
    if (screen === name) tab.setAttribute('aria-current', 'page');
    else tab.removeAttribute('aria-current');
  }
}

// Files ---------------------------------------------------------------------

function exampleBytes(name) {
  const text = atob(EXAMPLES[name]);
  const bytes = new Uint8Array(text.length);
  for (let i = 0; i < text.length; ++i) bytes[i] = text.charCodeAt(i);
  return bytes;
}

async function readFiles(files) {
  return Promise.all(Array.from(files, async (file) => {
    try {
      return { name: file.name, bytes: new Uint8Array(await file.arrayBuffer()) };
    } catch (fault) {
      throw new Error(word('readFault', { name: file.name }));
    }
  }));
}

function save(name, text, type) {
  const url = URL.createObjectURL(new Blob([text], { type }));
  const link = document.createElement('a');
  link.href = url;
  link.download = name;
  document.body.appendChild(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(url), 10000);
}

// Lets a drop zone take files, and keeps a file dropped anywhere else from replacing the page.
function acceptDrops(zone, take) {
  zone.addEventListener('dragover', (event) => {
    event.preventDefault();
    zone.classList.add('over');
  });
  zone.addEventListener('dragleave', () => zone.classList.remove('over'));
  zone.addEventListener('drop', (event) => {
    event.preventDefault();
    zone.classList.remove('over');
    if (event.dataTransfer && event.dataTransfer.files.length) take(event.dataTransfer.files);
  });
}
window.addEventListener('dragover', (event) => event.preventDefault());
window.addEventListener('drop', (event) => event.preventDefault());

// The library in its workers ------------------------------------------------

// One worker per kind of work, so that a long search never holds up the
// nights; Cancel ends the worker (the library runs to the end of a call)
// and the next request starts a fresh one.
class Calculator {
  constructor() {
    this.worker = null;
    this.pending = null;
    this.nextId = 1;
  }

  start() {
    this.url = URL.createObjectURL(new Blob([WORKER_SOURCE], { type: 'text/javascript' }));
    this.worker = new Worker(this.url);
    this.worker.onmessage = (event) => this.heard(event.data);
    this.worker.onerror = (event) => {
      event.preventDefault();
      this.finish({ ok: false, message: word('workerFault', { message: event.message || '' }) });
    };
  }

  // Resolves with the library's answer; onProgress(done, total) meanwhile.
  run(request, onProgress = () => {}) {
    if (!this.worker) this.start();
    if (this.pending) this.stop();
    const id = this.nextId++;
    return new Promise((resolve) => {
      this.pending = { id, resolve, onProgress };
      this.worker.postMessage({ ...request, id });
    });
  }

  heard(message) {
    if (!this.pending || message.id !== this.pending.id) return;
    if (message.type === 'progress') this.pending.onProgress(message.done, message.total);
    else this.finish(message.answer);
  }

  finish(answer) {
    const pending = this.pending;
    this.pending = null;
    if (pending) pending.resolve(answer);
  }

  // Ends the work under way at once; its promise resolves as cancelled.
  stop() {
    if (this.worker) this.worker.terminate();
    if (this.url) URL.revokeObjectURL(this.url);
    this.worker = null;
    this.finish({ ok: false, cancelled: true });
  }
}

// Results -------------------------------------------------------------------

function clear(el) {
  while (el.firstChild) el.removeChild(el.firstChild);
}

function faultBox(answer) {
  const box = document.createElement('div');
  box.className = 'fault';
  box.setAttribute('role', 'alert');
  if (answer.cancelled) {
    box.appendChild(worded('span', 'cancelled'));
  } else {
    box.appendChild(worded('strong', 'fault'));
    box.appendChild(document.createTextNode(` ${answer.message}`));
  }
  return box;
}

function picture(svg, captionKey) {
  const figure = document.createElement('figure');
  const img = document.createElement('img');
  img.src = `data:image/svg+xml;charset=utf-8,${encodeURIComponent(svg)}`;
  img.dataset.wAlt = captionKey;
  img.alt = word(captionKey);
  figure.appendChild(img);
  figure.appendChild(worded('figcaption', captionKey));
  return figure;
}

function preformatted(text, className) {
  const pre = document.createElement('pre');
  pre.textContent = text;
  if (className) pre.className = className;
  pre.tabIndex = 0;  // a wide table scrolls from the keyboard too
  return pre;
}

function saveButton(key, name, text, type) {
  const button = worded('button', key);
  button.type = 'button';
  button.addEventListener('click', () => save(name, text, type));
  return button;
}

function buttonRow(...buttons) {
  const row = document.createElement('div');
  row.className = 'buttons';
  buttons.forEach((button) => row.appendChild(button));
  return row;
}

function warningList(warnings) {
  const box = document.createElement('div');
  box.className = 'warnings';
  box.appendChild(worded('strong', 'warnings'));
  const list = document.createElement('ul');
  warnings.forEach((warning) => {
    const item = document.createElement('li');
    item.textContent = warning;
    list.appendChild(item);
  });
  box.appendChild(list);
  return box;
}

// Shows `answer` in `where` with show(answer) when it is a result, else its fault.
function showAnswer(where, answer, show) {
  clear(where);
  if (answer.ok) show(answer);
  else where.appendChild(faultBox(answer));
  where.scrollIntoView({ block: 'start' });
}

// Progress of a long calculation: replicates done and the time left.
function progressShower(prefix) {
  const started = performance.now();
  return (done, total) => {
    $(`${prefix}-progress`).max = total;
    $(`${prefix}-progress`).value = done;
    const status = $(`${prefix}-status`);
    const elapsed = (performance.now() - started) / 1000;
    if (done > 0 && elapsed > 0.5) {
      const left = Math.max(0, Math.round((elapsed * (total - done)) / done));
      status.dataset.w = 'progress';
      status.dataset.wValues = JSON.stringify({ done, total, left });
    } else {
      status.dataset.w = 'progressStart';
      status.dataset.wValues = JSON.stringify({ done, total });
    }
    status.textContent = word(status.dataset.w, JSON.parse(status.dataset.wValues));
  };
}

async function whileBusy(prefix, work) {
  const busy = $(`${prefix}-busy`);
  const status = $(`${prefix}-status`);
  busy.hidden = false;
  if (status) {
    status.dataset.w = 'loading';
    delete status.dataset.wValues;
    status.textContent = word('loading');
    $(`${prefix}-progress`).removeAttribute('value');
  }
  try {
    return await work();
  } finally {
    busy.hidden = true;
  }
}

// Nights --------------------------------------------------------------------

const nightsCalculator = new Calculator();

async function analyseNights(files) {
  const result = $('nights-result');
  let answer;
  try {
    answer = await whileBusy('nights', async () => {
      if (!files.length) return { ok: false, message: word('noFiles') };
      return nightsCalculator.run({ kind: 'nights', files });
    });
  } catch (fault) {
    answer = { ok: false, message: fault.message };
  }
  showAnswer(result, answer, (products) => {
    result.appendChild(preformatted(products.table, 'nights-table'));
    if (products.warnings.length) result.appendChild(warningList(products.warnings));
    result.appendChild(buttonRow(saveButton('saveFieldCsv', 'field.csv', products.fieldCsv, 'text/csv')));
    result.appendChild(picture(products.fieldSvg, 'fieldPicture'));
  });
}

function templateNight() {
  const lines = [
    `# TITLE = ${word('templateTitle')}`, '# AREA = 0.08', '# WIDTH = 2', '# HOURS = 10', '# MEANT = 58',
    '# MEANT_SE = 2.5', '# LENGTH = 400', 'time,T1,T2,T3,T4',
  ];
  for (let hour = 20; hour < 30; ++hour) lines.push(`${String(hour % 24).padStart(2, '0')}:00,0,0,0,0`);
  return `${lines.join('\r\n')}\r\n`;
}

// Design --------------------------------------------------------------------

const designCalculator = new Calculator();
const formCalculator = new Calculator();  // the form's design file, beside a search under way

// The form's keys, as a design file names them, with beach.design's values to start from.
const DESIGN_FIELDS = [
  { key: 'NTR', value: '20' },
  { key: 'DENSITY', value: '1\n1, 3, 6, 3, 1', lines: true },
  { key: 'NN', value: '50000' },
  { key: 'IHR', value: '60' },
  { key: 'IREP', value: '100' },
  { key: 'IC', value: '2, 4, 5, 10' },
  { key: 'EVERY', value: '2, 4' },
  { key: 'START', value: 'first, random' },
  { key: 'ROUND_MINUTES', value: '20' },
  { key: 'STRIP_MINUTES', value: '6' },
  { key: 'TARGET_CV', value: '0.10' },
  { key: 'TARGET_COVERAGE', value: '0.95' },
];

// One labelled field of a form: its box, holding the label `labelWord` and
// `input` (given the id, name and starting value), added to `fields`.
function addField(fields, id, labelWord, input, key, value) {
  const box = document.createElement('div');
  box.className = 'field';
  const label = worded('label', labelWord);
  label.htmlFor = id;
  input.id = id;
  input.name = key;
  input.value = String(value);
  box.append(label, input);
  fields.appendChild(box);
  return box;
}

function buildDesignForm() {
  const fields = $('design-fields');
  for (const field of DESIGN_FIELDS) {
    const input = document.createElement(field.lines ? 'textarea' : 'input');
    input.spellcheck = false;
    input.autocomplete = 'off';
    if (field.lines) input.rows = 3;
    else input.type = 'text';
    addField(fields, `design-${field.key}`, `field${field.key}`, input, field.key, field.value);
  }
}

// The form as the binding takes it: "NAME<TAB>item<TAB>item" lines, one per
// DENSITY scenario; empty fields are left out.
function designFormLines() {
  const lines = [];
  for (const field of DESIGN_FIELDS) {
    const rows = field.lines ? $(`design-${field.key}`).value.split('\n') : [$(`design-${field.key}`).value];
    for (const row of rows) {
      const items = row.split(/[,;\s]+/).filter((item) => item !== '');
      if (items.length) lines.push([field.key, ...items].join('\t'));
    }
  }
  return lines.join('\n');
}

async function runDesign(request) {
  const result = $('design-result');
  clear(result);
  const answer = await whileBusy('design', () => designCalculator.run(request, progressShower('design')));
  showAnswer(result, answer, (products) => {
    const recommendation = document.createElement('p');
    recommendation.className = 'recommendation';
    recommendation.textContent = products.recommendation;
    result.appendChild(recommendation);
    result.appendChild(preformatted(products.table, 'design-table'));
    result.appendChild(buttonRow(
      saveButton('saveDesignsCsv', 'designs.csv', products.designsCsv, 'text/csv'),
      saveButton('saveDesignFile', designFileName(request), products.designFile, 'text/plain'),
    ));
    result.appendChild(picture(products.designsSvg, 'designsPicture'));
  });
}

function designFileName(request) {
  return request.kind === 'designFile' ? request.name : 'form.design';
}

async function runDesignFiles(files) {
  if (!files.length) return;
  let read;
  try {
    read = await readFiles([files[0]]);
  } catch (fault) {
    showAnswer($('design-result'), { ok: false, message: fault.message }, () => {});
    return;
  }
  await runDesign({ kind: 'designFile', name: read[0].name, bytes: read[0].bytes });
}

async function saveFormDesignFile() {
  const answer = await formCalculator.run({ kind: 'designFormText', lines: designFormLines() });
  if (answer.ok) save('form.design', answer.designFile, 'text/plain');
  else showAnswer($('design-result'), answer, () => {});
}

// One simulation ------------------------------------------------------------

const simulationCalculator = new Calculator();

// The dialogue's nine parameters, their defaults and allowed ranges; an
// empty field takes the default, as 0 does in the dialogue.
const SIMULATION_FIELDS = [
  { key: 'NN', value: 50000, min: 1000, max: 1000000, step: 1 },
  { key: 'IHR', value: 60, min: 18, max: 120, step: 1, range: 'allowedIHR' },
  { key: 'MIN', value: 5, min: 1, step: 'any', range: 'allowedMIN' },
  { key: 'STDDEV', value: 2, min: 0, max: 2, step: 'any', range: 'allowedSTDDEV' },
  { key: 'NTR', value: 10, min: 1, max: 1000, step: 1 },
  { key: 'IC', value: 5, min: 3, max: 1000, step: 1, range: 'allowedIC' },
  { key: 'IREP', value: 100, min: 2, max: 1000, step: 1 },
  { key: 'JX', value: '', min: 1, max: 2147483646, step: 1, range: 'allowedJX' },
  { key: 'KSW', value: 1, choices: ['lawNormal', 'lawPoisson', 'lawUniform'] },
];

function buildSimulationForm() {
  const fields = $('simulation-fields');
  for (const field of SIMULATION_FIELDS) {
    const id = `simulation-${field.key}`;
    let input;
    if (field.choices) {
      input = document.createElement('select');
      field.choices.forEach((choice, index) => {
        const option = worded('option', choice);
        option.value = String(index + 1);
        input.appendChild(option);
      });
    } else {
      input = document.createElement('input');
      input.type = 'number';
      input.inputMode = field.step === 1 ? 'numeric' : 'decimal';
      input.step = String(field.step);
      if ('min' in field) input.min = String(field.min);
      if ('max' in field) input.max = String(field.max);
    }
    const box = addField(fields, id, `param${field.key}`, input, field.key, field.value);
    if (!field.choices) {
      const note = worded('span', 'allowed', { range: '' });
      note.className = 'range';
      note.id = `${id}-range`;
      note.dataset.wRange = field.range || 'to';
      note.dataset.wRangeValues = JSON.stringify({ low: field.min, high: field.max });
      input.setAttribute('aria-describedby', note.id);
      box.appendChild(note);
    }
  }
}

// The allowed ranges that are words rather than numbers follow the language too.
function rewordRanges() {
  document.querySelectorAll('[data-w-range]').forEach((note) => {
    note.dataset.wValues = JSON.stringify({ range: word(note.dataset.wRange, JSON.parse(note.dataset.wRangeValues)) });
  });
}

function simulationValues() {
  const values = {};
  for (const field of SIMULATION_FIELDS) {
    const text = $(`simulation-${field.key}`).value.trim();
    const number = text === '' ? NaN : Number(text);
    if (field.key === 'JX') values.JX = Number.isFinite(number) && number !== 0 ? number : null;
    else values[field.key] = Number.isFinite(number) && number !== 0 ? number : field.value;
  }
  return values;
}

function figureRow(table, key, value) {
  const row = table.insertRow();
  const head = worded('th', key);
  head.scope = 'row';
  row.appendChild(head);
  const cell = row.insertCell();
  if (value instanceof Node) cell.appendChild(value);
  else cell.textContent = value;
  cell.dataset.figure = key;
}

async function runSimulation() {
  const result = $('simulation-result');
  clear(result);
  const request = { kind: 'simulate', values: simulationValues() };
  const answer = await whileBusy('simulation', () => simulationCalculator.run(request, progressShower('simulation')));
  showAnswer(result, answer, (products) => {
    result.appendChild(worded('h3', 'summary'));
    const table = document.createElement('table');
    table.className = 'figures';
    figureRow(table, 'averageEstimate', products.averageEstimate);
    figureRow(table, 'averageVARM', products.averageVARM);
    figureRow(table, 'averageVARTR', products.averageVARTR);
    figureRow(table, 'averageVARTI', products.averageVARTI);
    figureRow(table, 'empiricalVariance', products.empiricalVariance);
    figureRow(table, 'misses', worded('span', 'missesValue', { misses: products.misses, replicates: products.replicates }));
    figureRow(table, 'startingValue', String(products.JX));
    result.appendChild(table);
    result.appendChild(buttonRow(saveButton('saveSummaryCsv', 'summary.csv', products.summaryCsv, 'text/csv')));
    result.appendChild(picture(products.histogramSvg, 'histogram'));
  });
}

// Faults the page itself did not foresee are shown too, on the screen in view.
function showUnforeseen(message) {
  const screen = SCREENS.find((name) => !$(`screen-${name}`).hidden) || 'nights';
  const where = $(`${screen}-result`);
  clear(where);
  where.appendChild(faultBox({ ok: false, message }));
}

// Start ---------------------------------------------------------------------

function start() {
  buildDesignForm();
  buildSimulationForm();
  applyLanguage(preferredLanguage());
  $('lang').addEventListener('change', () => applyLanguage($('lang').value));
  SCREENS.forEach((name) => $(`tab-${name}`).addEventListener('click', () => showScreen(name)));
  showScreen('nights');

  $('nights').addEventListener('change', async (event) => {
    const input = event.target;
    try {
      await analyseNights(await readFiles(input.files));
    } catch (fault) {
      showAnswer($('nights-result'), { ok: false, message: fault.message }, () => {});
    }
  });
  acceptDrops($('nights-drop'), async (files) => analyseNights(await readFiles(files).catch(() => [])));
  $('nights-examples').addEventListener('click', () =>
    analyseNights(['night-1.csv', 'night-2.csv', 'night-3.csv'].map((name) => ({ name, bytes: exampleBytes(name) }))));
  for (const name of ['survey.dat', 'perline.dat', 'weighted.dat']) {
    const button = document.createElement('button');
    button.type = 'button';
    button.textContent = name;
    button.addEventListener('click', () => analyseNights([{ name, bytes: exampleBytes(name) }]));
    $('nights-example-files').appendChild(button);
  }
  $('template-night').addEventListener('click', () => save(language === 'es' ? 'noche-plantilla.csv' : 'night-template.csv', templateNight(), 'text/csv'));

  $('design-file').addEventListener('change', (event) => runDesignFiles(event.target.files));
  acceptDrops($('design-drop'), (files) => runDesignFiles(files));
  $('design-example').addEventListener('click', () =>
    runDesign({ kind: 'designFile', name: 'beach.design', bytes: exampleBytes('beach.design') }));
  $('design-form').addEventListener('submit', (event) => {
    event.preventDefault();
    runDesign({ kind: 'designForm', lines: designFormLines() });
  });
  $('design-save-file').addEventListener('click', saveFormDesignFile);
  $('design-cancel').addEventListener('click', () => designCalculator.stop());

  // The browser holds back a value outside the dialogue's range (the form's min and max) with its own words.
  $('simulation-form').addEventListener('submit', (event) => {
    event.preventDefault();
    if ($('simulation-form').reportValidity()) runSimulation();
  });
  $('simulation-cancel').addEventListener('click', () => simulationCalculator.stop());

  window.addEventListener('error', (event) => showUnforeseen(event.message));
  window.addEventListener('unhandledrejection', (event) => showUnforeseen(String(event.reason)));
}

start();
