// The style sheet and script shared by the site's pages.
#include "publish/SitePages.h"

QString SiteStyleSheet() {
    return QStringLiteral(R"css(body { font: 14px Tahoma, Verdana, sans-serif; margin: 0; color: #000; }
header { background: #d4d0c8; padding: 6px 12px; border-bottom: 1px solid #808080; }
h1 { font-size: 18px; margin: 4px 0; }
.catalogue main { padding: 8px 16px; }
.subject h2 { font-size: 16px; border-bottom: 1px solid #c0c0c0; }
.courses { list-style: none; padding: 0; }
.course { margin: 6px 0; }
.course p { margin: 2px 0 0 16px; color: #404040; }
#sections a { margin-right: 12px; }
#sections a.current { font-weight: bold; }
.course main { display: flex; height: calc(100vh - 80px); }
#trees { width: 30%; min-width: 200px; overflow: auto; border-right: 1px solid #808080; padding: 4px; }
#page { flex: 1; border: 0; height: 100%; }
.tree, .tree ul { list-style: none; padding-left: 16px; margin: 0; }
.tree { padding-left: 0; }
.item { cursor: pointer; white-space: pre-wrap; display: inline-block; padding: 1px 3px; }
.item.current { outline: 1px dotted #000; background: #e0e8ff; }
.mk-blink { animation: mk-blink 1s step-end infinite; }
@keyframes mk-blink { 50% { visibility: hidden; } }
.panel { width: 70vw; height: 70vh; padding: 4px; }
.panel iframe { width: 100%; height: calc(100% - 32px); border: 0; }
.panel form { text-align: right; }
.scorm .home { display: none; }
#search { margin: 6px 0; }
#search input { width: 40ch; }
#hits li { margin: 6px 0; }
.where { color: #606060; font-size: 12px; margin-left: 8px; }
.snippet { margin: 2px 0; color: #303030; }
mark { background: #ffff00; }
.button { display: inline-block; padding: 1px 6px; border: 1px solid #808080; background: #e8e8e8;
  color: #000; text-decoration: none; cursor: pointer; }
#favor-note { margin-left: 8px; color: #404040; }
.favor main { padding: 8px 16px; }
#favor-list li { margin: 6px 0; }
)css");
}

QString CourseScript() {
    return QStringLiteral(R"js((function () {
  'use strict';
  var frame = document.getElementById('page');
  var lms = startLms();
  function state() {
    var h = new URLSearchParams(location.hash.slice(1));
    return { s: h.get('s'), i: h.get('i') };
  }
  // #s=<section>&i=<item>: that section's tree, that item chosen and its page beside it.
  function show() {
    var p = state();
    var trees = Array.prototype.slice.call(document.querySelectorAll('.tree'));
    var s = trees.some(function (t) { return t.dataset.s === p.s; }) ? p.s : (trees.length ? trees[0].dataset.s : null);
    trees.forEach(function (t) { t.hidden = t.dataset.s !== s; });
    document.querySelectorAll('#sections a').forEach(function (a) { a.classList.toggle('current', a.dataset.s === s); });
    document.querySelectorAll('.item.current').forEach(function (e) { e.classList.remove('current'); });
    if (p.i === null || s === null) return;
    var item = document.querySelector('#tree-' + s + ' .item[data-i="' + CSS.escape(p.i) + '"]');
    if (!item) return;
    item.classList.add('current');
    item.scrollIntoView({ block: 'nearest' });
    if (item.dataset.page && frame.getAttribute('src') !== item.dataset.page) frame.src = item.dataset.page;
    if (item.dataset.page) opened(item);
  }
  // A learning platform's SCORM 1.2 API, when the course runs inside one: "incomplete" on start,
  // "completed" once every item page outside the tasks section was opened (kept across sessions
  // in suspend_data), and the session's time when the course is left. Without one, nothing.
  function findApi(w) {
    for (var n = 0; w && n < 10; n++) {
      try { if (w.API) return w.API; } catch (x) { return null; }
      if (w.parent === w) break;
      w = w.parent;
    }
    return null;
  }
  function startLms() {
    var api = (window.parent !== window && findApi(window.parent)) || (window.opener && findApi(window.opener));
    if (!api || String(api.LMSInitialize('')) !== 'true') return null;
    var state = { api: api, started: Date.now(), opened: {}, done: false, finished: false };
    String(api.LMSGetValue('cmi.suspend_data') || '').split(',').forEach(function (k) { if (k) state.opened[k] = true; });
    var status = String(api.LMSGetValue('cmi.core.lesson_status') || '');
    state.done = status === 'completed' || status === 'passed';
    if (!state.done) api.LMSSetValue('cmi.core.lesson_status', 'incomplete');
    api.LMSCommit('');
    document.body.classList.add('scorm');
    window.addEventListener('pagehide', finish);
    window.addEventListener('beforeunload', finish);
    return state;
  }
  function key(item) { return item.closest('.tree').dataset.s + ':' + item.dataset.i; }
  function opened(item) {
    if (!lms || lms.finished) return;
    lms.opened[key(item)] = true;
    var kept = Object.keys(lms.opened).join(',');
    if (kept.length <= 4096) lms.api.LMSSetValue('cmi.suspend_data', kept);
    var theory = document.querySelectorAll('.tree:not([data-s="2010"]) .item[data-page]');
    var all = Array.prototype.every.call(theory, function (t) { return lms.opened[key(t)]; });
    if (!lms.done && all) {
      lms.done = true;
      lms.api.LMSSetValue('cmi.core.lesson_status', 'completed');
    }
    lms.api.LMSCommit('');
  }
  function pad(n, width) { n = String(n); while (n.length < width) n = '0' + n; return n; }
  function finish() {
    if (!lms || lms.finished) return;
    lms.finished = true;
    var s = Math.round((Date.now() - lms.started) / 1000);
    lms.api.LMSSetValue('cmi.core.session_time', pad(Math.min(9999, Math.floor(s / 3600)), 4) + ':' +
                        pad(Math.floor(s / 60) % 60, 2) + ':' + pad(s % 60, 2));
    lms.api.LMSSetValue('cmi.core.exit', lms.done ? '' : 'suspend');
    lms.api.LMSCommit('');
    lms.api.LMSFinish('');
  }
  function choose(item) {
    location.hash = 's=' + item.closest('.tree').dataset.s + '&i=' + item.dataset.i;
  }
  document.addEventListener('click', function (e) {
    var item = e.target.closest('.item');
    if (item && !e.target.closest('a')) choose(item);
  });
  document.addEventListener('keydown', function (e) {
    if (e.key === 'Enter' && e.target.classList.contains('item')) choose(e.target);
  });
  // A page loaded into the hint or test frame opens its panel, as the player opens its windows.
  document.querySelectorAll('.panel iframe').forEach(function (f) {
    f.addEventListener('load', function () {
      var blank = false;
      try { blank = f.contentWindow.location.href === 'about:blank'; } catch (x) { blank = false; }
      var d = f.closest('dialog');
      if (!blank && !d.open) d.show();
    });
  });
  // "run" links: pages of the course run in the page frame, anything else in a new tab.
  frame.addEventListener('load', function () {
    var doc;
    try { doc = frame.contentDocument; } catch (x) { return; }
    if (!doc) return;
    doc.addEventListener('click', function (e) {
      var a = e.target.closest && e.target.closest('a[target="run"]');
      if (!a) return;
      e.preventDefault();
      if (a.href.indexOf('_Content') >= 0) frame.src = a.href;
      else window.open(a.href, '_blank', 'noopener');
    }, true);
  });
  window.addEventListener('hashchange', show);
  show();
})();
)js");
}

QString SearchScript() {
    return QStringLiteral(R"js((function () {
  'use strict';
  // index.html?q=WORDS: the items whose caption or page has every word (in any form; "ё" is "е"),
  // best first; "-word" leaves a word out.
  var form = document.getElementById('search');
  if (!form || typeof lunr === 'undefined') return;
  var q = new URLSearchParams(location.search).get('q') || '';
  form.q.value = q;
  if (!q.trim()) return;
  var results = document.getElementById('results');
  var found = document.getElementById('found');
  var list = document.getElementById('hits');
  results.hidden = false;
  found.textContent = 'Поиск…';
  lunr.Pipeline.registerFunction(function (token) {
    return token.update(function (s) { return s.replace(/ё/g, 'е'); });
  }, 'fold-yo');
  var letters = /[0-9a-zа-яё_\u00c0-\u024f]+/gi;
  function words(text) { return (text.toLowerCase().match(letters) || []); }
  function escape(s) {
    return s.replace(/[&<>"]/g, function (c) { return { '&': '&amp;', '<': '&lt;', '>': '&gt;', '"': '&quot;' }[c]; });
  }
  // The index comes as scripts calling __siteSearchData: script elements load from file:// too.
  var waiting = {};
  window.__siteSearchData = function (name, data) { if (waiting[name]) waiting[name](data); };
  function json(name) {
    return new Promise(function (resolve, reject) {
      waiting[name] = resolve;
      var script = document.createElement('script');
      script.src = '_search/' + name + '.js';
      script.onerror = function () { reject(new Error(name)); };
      document.head.appendChild(script);
    });
  }
  Promise.all([json('index'), json('docs')]).then(function (data) {
    var index = lunr.Index.load(data[0]);
    var docs = data[1];
    var include = [], exclude = [];
    q.split(/\s+/).forEach(function (w) {
      var out = w.charAt(0) === '-';
      words(out ? w.slice(1) : w).forEach(function (t) { (out ? exclude : include).push(t); });
    });
    var hits = include.length === 0 ? [] : index.query(function (query) {
      include.forEach(function (t) { query.term(t, { presence: lunr.Query.presence.REQUIRED }); });
      exclude.forEach(function (t) { query.term(t, { presence: lunr.Query.presence.PROHIBITED }); });
    });
    var shown = hits.slice(0, 50);
    found.textContent = hits.length === 0 ? 'Ничего не найдено' :
      'Найдено: ' + hits.length + (hits.length > shown.length ? ', показаны первые ' + shown.length : '');
    var stems = {};
    include.forEach(function (t) { index.pipeline.runString(t).forEach(function (s) { stems[s] = true; }); });
    function matches(word) { return index.pipeline.runString(word.toLowerCase()).some(function (s) { return stems[s]; }); }
    var courses = {};
    shown.forEach(function (hit) {
      var doc = docs[hit.ref];
      var li = document.createElement('li');
      li.innerHTML = '<a href="' + escape(doc[1]) + '">' + escape(doc[0]) + '</a><span class="where">' +
        escape(doc[2] + ' — ' + doc[3]) + '</span><p class="snippet"></p>';
      list.appendChild(li);
      (courses[doc[4]] = courses[doc[4]] || []).push({ ref: hit.ref, p: li.querySelector('.snippet') });
    });
    // A piece of each page around the first word found, the words found marked.
    Object.keys(courses).forEach(function (course) {
      json('text-' + course).then(function (texts) {
        courses[course].forEach(function (item) {
          var text = texts[item.ref] || '', m, at = -1;
          letters.lastIndex = 0;
          while ((m = letters.exec(text)) !== null) { if (matches(m[0])) { at = m.index; break; } }
          var from = Math.max(0, at - 60), piece = text.slice(from, from + 220);
          var html = '', last = 0;
          piece.replace(letters, function (w, offset) {
            html += escape(piece.slice(last, offset)) + (matches(w) ? '<mark>' + escape(w) + '</mark>' : escape(w));
            last = offset + w.length;
            return w;
          });
          item.p.innerHTML = (from > 0 ? '…' : '') + html + escape(piece.slice(last)) +
            (from + 220 < text.length ? '…' : '');
        });
      });
    });
  }).catch(function () {
    found.textContent = 'Не удалось загрузить указатель поиска.';
  });
})();
)js");
}
