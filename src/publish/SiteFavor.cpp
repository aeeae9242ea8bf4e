// The collection of the published site: kept in the browser's local storage, saved and loaded as
// the player's collection files.
#include "core/CourseSections.h"
#include "publish/SitePages.h"

#include <QJsonDocument>
#include <QJsonObject>

QString FavorScript() {
    QJsonObject sections;
    for (const int id : SectionProbeOrder)
        sections.insert(QString::number(id), SectionCaption(id));
    return QStringLiteral(R"js((function () {
  'use strict';
  var KEY = 'courseplayer-favor';
  var SECTIONS = %1;
  function read() {
    try {
      var items = JSON.parse(localStorage.getItem(KEY) || '[]');
      return Array.isArray(items) ? items : [];
    } catch (x) { return []; }
  }
  function write(items) {
    try { localStorage.setItem(KEY, JSON.stringify(items)); return true; } catch (x) { return false; }
  }
  function note(text) {
    var p = document.getElementById('favor-note');
    if (p) p.textContent = text;
  }
  // The collection file exactly as the player writes it: the declaration, the root "items" and
  // one "item" per row with Course, Folder, ID and Caption, in that order, nothing else.
  function attribute(s) {
    return String(s).replace(/[&<>"\n\r\t]/g, function (c) {
      return { '&': '&amp;', '<': '&lt;', '>': '&gt;', '"': '&quot;', '\n': '&#10;', '\r': '&#13;', '\t': '&#9;' }[c];
    });
  }
  function fileText(items) {
    var head = '<?xml version="1.0" encoding="UTF-8"?>\n';
    if (!items.length) return head + '<items/>\n';
    return head + '<items>' + items.map(function (f) {
      return '<item Course="' + f.Course + '" Folder="' + f.Folder + '" ID="' + f.ID + '" Caption="' +
        attribute(f.Caption) + '"/>';
    }).join('') + '</items>\n';
  }
  // A collection file read as the player reads it: every child of the root is an item; a
  // missing or non-integer number stops the load there, keeping the items before it.
  function integer(text) {
    if (text === null || !/^[+-]?[0-9]+$/.test(text)) throw new Error(text);
    var n = Number(text);
    if (n > 2147483647 || n < -2147483648) throw new Error(text);
    return n === 0 ? 0 : n;
  }
  function parse(text) {
    var doc = new DOMParser().parseFromString(text, 'application/xml');
    if (!doc.documentElement || doc.getElementsByTagName('parsererror').length) return null;
    var items = [], stopped = false, nodes = doc.documentElement.childNodes;
    for (var i = 0; i < nodes.length && !stopped; i++) {
      var n = nodes[i];
      if (n.nodeType === 3 && !n.nodeValue.trim()) continue; // the player's parser keeps no blank text
      try {
        if (n.nodeType !== 1) throw new Error('not an element');
        items.push({ Course: integer(n.getAttribute('Course')), Folder: integer(n.getAttribute('Folder')),
                     ID: integer(n.getAttribute('ID')), Caption: n.getAttribute('Caption') || '' });
      } catch (x) { stopped = true; }
    }
    return { items: items, stopped: stopped };
  }
  function load(text) {
    var got = parse(text);
    if (got) { write(got.items); show(); }
    note(!got || got.stopped ? 'Ошибка загрузки файла' : 'Подборка загружена: ' + got.items.length);
  }
  window.CourseFavor = { read: read, fileText: fileText, load: load };

  // The course page: "Добавить в подборку" adds the chosen item, once.
  var add = document.getElementById('favor-add');
  if (add) add.addEventListener('click', function () {
    var item = document.querySelector('.item.current');
    if (!item) { note('Выберите материал в оглавлении'); return; }
    var f = { Course: Number(document.body.dataset.course), Folder: Number(item.closest('.tree').dataset.s),
              ID: Number(item.dataset.i), Caption: item.dataset.c || '' };
    var items = read();
    var there = items.some(function (g) { return g.Course === f.Course && g.Folder === f.Folder && g.ID === f.ID; });
    if (!there) items.push(f);
    note(!there && !write(items) ? 'Браузер не дал сохранить подборку' :
         (there ? 'Уже в подборке' : 'Добавлено в подборку') + ' (материалов: ' + items.length + ')');
  });

  // The collection page: its rows, moved, removed, cleared, saved and loaded.
  var list = document.getElementById('favor-list');
  function show() {
    if (!list) return;
    var items = read();
    list.textContent = '';
    items.forEach(function (f, i) {
      var li = document.createElement('li');
      var a = document.createElement('a');
      a.href = '../' + f.Course + '/index.html#s=' + f.Folder + '&i=' + f.ID;
      a.textContent = String(f.Caption).replace(/<[^>]*>/g, '');
      var where = document.createElement('span');
      where.className = 'where';
      where.textContent = SECTIONS[f.Folder] || '';
      li.append(a, where);
      [['Вверх', i - 1], ['Вниз', i + 1], ['Удалить из подборки', -1]].forEach(function (b) {
        var button = document.createElement('button');
        button.textContent = b[0];
        button.disabled = b[1] >= items.length || b[1] < -1;
        button.addEventListener('click', function () {
          var moved = items.splice(i, 1)[0];
          if (b[1] >= 0) items.splice(b[1], 0, moved);
          write(items);
          show();
        });
        li.append(' ', button);
      });
      list.appendChild(li);
    });
    document.getElementById('favor-empty').hidden = items.length > 0;
    var all = document.getElementById('favor-show');
    if (all) {
      var chosen = items.filter(function (f) { return f.Course !== 0; });
      all.href = all.dataset.page + (chosen.length ? '#' + chosen.map(function (f) {
        return f.Course + ';' + f.Folder + ';' + f.ID;
      }).join('$') : '');
    }
  }
  if (!list) return;
  document.getElementById('favor-clear').addEventListener('click', function () { write([]); show(); });
  document.getElementById('favor-save').addEventListener('click', function () {
    this.href = URL.createObjectURL(new Blob([fileText(read())], { type: 'application/xml' }));
  });
  document.getElementById('favor-load').addEventListener('change', function () {
    var file = this.files[0];
    if (!file) return;
    file.text().then(load, function () { note('Ошибка загрузки файла'); });
    this.value = '';
  });
  window.addEventListener('storage', show);
  show();
})();
)js")
        .arg(QString::fromUtf8(QJsonDocument(sections).toJson(QJsonDocument::Compact)));
}
