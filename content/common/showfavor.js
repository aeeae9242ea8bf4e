// Lays a collection out as one page. The player hands the collection over in the address:
// "#3;12;15$3;2010;7" lists course;section;item entries in the collection's order. Each item's
// page (course/section/item.xml, shown through its own stylesheet) is loaded in a hidden frame,
// and its title and text are laid into this document, so the page reads, scrolls and prints as
// one.

var SECTIONS = { 5: 'Учебный курс', 7: 'Вспомогательные ресурсы', 8: 'Понятийный аппарат',
  12: 'Теоретические материалы', 68: 'Дополнительные материалы', 2010: 'Учебные задания' };
var PARALLEL = 4;      // frames loading at once: a long collection must not load all at once
var WAIT_MS = 30000;   // a page that never finishes loading is given up after this long
var generation = 0;   // a new address starts a new layout; late frames of the old one are dropped

function parseList(hash) {
  var text = hash.replace(/^#/, '');
  try { text = decodeURIComponent(text); } catch (e) { /* kept as written */ }
  if (!text) return [];
  var entries = [];
  text.split('$').forEach(function (part) {
    var p = part.split(';');
    if (p.length !== 3) return;
    for (var i = 0; i < 3; i++) if (!/^\s*-?\d+\s*$/.test(p[i])) return;
    entries.push({ course: parseInt(p[0], 10), folder: parseInt(p[1], 10), id: parseInt(p[2], 10) });
  });
  return entries;
}

function pageAddress(e) { return e.course + '/' + e.folder + '/' + e.id + '.xml'; }

function element(tag, className, text) {
  var el = document.createElement(tag);
  if (className) el.className = className;
  if (text !== undefined) el.textContent = text;
  return el;
}

// Addresses of the copied page are written out whole: relative ones would point elsewhere
// from this page's folder.
function absolutize(root, base) {
  root.querySelectorAll('[href],[src]').forEach(function (el) {
    ['href', 'src'].forEach(function (name) {
      var value = el.getAttribute(name);
      if (value === null || /^(#|javascript:|data:|mailto:)/i.test(value)) return;
      try { el.setAttribute(name, new URL(value, base).href); } catch (e) { /* left as it is */ }
    });
  });
}

// What the page itself runs is not copied: scripts, frames, and the controls of its tasks
// (here the tasks are read and printed; they run from "Выполнить задание").
function tidy(root) {
  root.querySelectorAll('script, iframe, object, embed, noscript, button, .band, #start, #status, .result')
    .forEach(function (el) { el.remove(); });
  root.querySelectorAll('input, textarea, select').forEach(function (el) {
    el.replaceWith(element('span', 'favor-blank', '\u00a0'));
  });
  root.querySelectorAll('#tasks').forEach(function (el) { el.style.display = ''; });
  root.querySelectorAll('[id]').forEach(function (el) { el.removeAttribute('id'); });
  root.querySelectorAll('[onclick]').forEach(function (el) { el.removeAttribute('onclick'); });
}

function fillItem(section, e, doc) {
  var heading = doc.querySelector('h1, h2, h3');
  var title = (doc.title || '').trim() || (heading ? heading.textContent.trim() : '') ||
    'Материал № ' + e.id;
  var course = doc.querySelector('.band .course');
  var source = doc.querySelector('.page') || doc.body;
  absolutize(source, doc.baseURI);
  var copy = document.importNode(source, true);
  tidy(copy);

  section.innerHTML = '';
  section.appendChild(element('div', 'favor-where',
    (course ? course.textContent.trim() + ' · ' : '') + (SECTIONS[e.folder] || 'Раздел ' + e.folder)));
  section.appendChild(element('h2', 'favor-title', title));
  var body = element('div', 'favor-body');
  while (copy.firstChild) body.appendChild(copy.firstChild);
  section.appendChild(body);
  if (e.folder === 2010) {
    var run = element('p', 'favor-run');
    var link = element('a', '', 'Выполнить задание');
    link.href = new URL(pageAddress(e) + '#run', location.href).href;
    link.target = 'test';
    run.appendChild(link);
    section.appendChild(run);
  }
  section.setAttribute('data-state', 'shown');
  return title;
}

function fillMissing(section, e) {
  section.innerHTML = '';
  section.appendChild(element('h2', 'favor-title', 'Материал не найден'));
  section.appendChild(element('p', 'note', 'Курс ' + e.course + ', раздел «' +
    (SECTIONS[e.folder] || e.folder) + '», материал № ' + e.id +
    ': страницы нет в библиотеке курсов или она не открывается.'));
  section.setAttribute('data-state', 'missing');
  return 'Материал не найден';
}

function loadItem(e, section, entryOfContents, done) {
  var frame = document.createElement('iframe');
  var finished = false;
  var mine = generation;
  function finish(doc) {
    if (finished) return;
    finished = true;
    clearTimeout(timer);
    if (mine === generation) {
      var title;
      try { title = doc ? fillItem(section, e, doc) : fillMissing(section, e); }
      catch (err) { title = fillMissing(section, e); }
      entryOfContents.textContent = title;
    }
    frame.remove();
    done();
  }
  var timer = setTimeout(function () { finish(null); }, WAIT_MS);
  frame.addEventListener('load', function () {
    var doc = null;
    try {
      doc = frame.contentDocument;
      // An error page of the browser, or a file that is not a page: nothing to lay out.
      if (doc && (!doc.body || !/^file:/.test(doc.URL))) doc = null;
    } catch (err) { doc = null; }
    finish(doc);
  });
  frame.src = pageAddress(e);
  document.getElementById('loader').appendChild(frame);
}

function show() {
  generation++;
  var entries = parseList(location.hash);
  var items = document.getElementById('items');
  var contents = document.getElementById('contents');
  var summary = document.getElementById('summary');
  items.innerHTML = ''; contents.innerHTML = '';
  document.getElementById('loader').innerHTML = '';
  document.body.setAttribute('data-state', 'loading');
  document.body.setAttribute('data-items', String(entries.length));
  if (!entries.length) {
    summary.textContent = 'В подборке нет материалов. Добавьте их в окне курса командой ' +
      '«Добавить в подборку» и откройте подборку снова.';
    document.body.setAttribute('data-state', 'ready');
    return;
  }
  summary.textContent = 'Материалов в подборке: ' + entries.length + '.';

  var queue = [];
  entries.forEach(function (e, i) {
    var section = element('section', 'favor-item');
    section.setAttribute('data-entry', e.course + ';' + e.folder + ';' + e.id);
    section.appendChild(element('p', 'note', 'Загрузка материала…'));
    items.appendChild(section);
    var li = element('li', '', 'Материал ' + (i + 1));
    li.addEventListener('click', function () { section.scrollIntoView(); });
    contents.appendChild(li);
    queue.push([e, section, li]);
  });

  var mine = generation, running = 0, left = queue.length;
  function next() {
    if (mine !== generation) return;
    while (running < PARALLEL && queue.length) {
      var job = queue.shift();
      running++;
      loadItem(job[0], job[1], job[2], function () {
        running--;
        if (--left === 0 && mine === generation) document.body.setAttribute('data-state', 'ready');
        next();
      });
    }
  }
  next();
}

window.addEventListener('hashchange', show);
show();
