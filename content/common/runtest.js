// Runs a list of tasks. The address carries them after "#tid=": entries "id_type;" and, at the
// very end, "-1" (show the hints) or "-0" (hide them). Each task page is shown once, in the
// order of its first entry, at its full height, so the list reads as one page.
function parse(hash) {
  var m = /#tid=(.*)$/.exec(hash);
  if (!m) return { tasks: [], hints: true };
  var text = m[1];
  try { text = decodeURIComponent(text); } catch (e) { /* kept as written */ }
  var hints = true;
  var end = /-([01])$/.exec(text);
  if (end) { hints = end[1] === '1'; text = text.slice(0, -2); }
  var tasks = text.split(';').filter(function (s) { return s.length; }).map(function (s) {
    var p = s.split('_'); return { id: p[0], type: p[1] || '' };
  }).filter(function (t) { return /^\d+$/.test(t.id); });
  return { tasks: tasks, hints: hints };
}
// A task page holds several tasks of one id: one frame per page, with the types it was asked for.
function pages(tasks) {
  var seen = {}, list = [];
  tasks.forEach(function (t) {
    if (!seen[t.id]) { seen[t.id] = { id: t.id, types: [] }; list.push(seen[t.id]); }
    if (t.type && seen[t.id].types.indexOf(t.type) < 0) seen[t.id].types.push(t.type);
  });
  return list;
}
// The frame grows with its page (answers checked add lines), so nothing scrolls inside it.
function fit(frame) {
  try {
    var doc = frame.contentDocument;
    if (doc && doc.documentElement) frame.style.height = (doc.documentElement.scrollHeight + 4) + 'px';
  } catch (e) { /* a page that cannot be measured keeps its height */ }
}
function show() {
  var r = parse(location.hash);
  var list = document.getElementById('list'), frames = document.getElementById('frames');
  var shown = pages(r.tasks);
  document.body.setAttribute('data-tasks', r.tasks.map(function (t) { return t.id; }).join(','));
  document.body.setAttribute('data-pages', shown.map(function (p) { return p.id; }).join(','));
  document.body.setAttribute('data-hints', r.hints ? 'on' : 'off');
  document.getElementById('mode').textContent = r.tasks.length
    ? 'Заданий: ' + shown.length + '. Подсказки ' + (r.hints ? 'показываются.' : 'скрыты.')
    : 'Список заданий пуст.';
  list.innerHTML = ''; frames.innerHTML = '';
  shown.forEach(function (p) {
    var li = document.createElement('li');
    li.textContent = 'Задание ' + p.id + (p.types.length ? ' (вид ' + p.types.join(', ') + ')' : '');
    list.appendChild(li);
    var f = document.createElement('iframe');
    f.title = 'Задание ' + p.id;
    f.addEventListener('load', function () {
      fit(f);
      try {
        f.contentDocument.addEventListener('click', function () { setTimeout(function () { fit(f); }, 0); });
      } catch (e) { /* not measured again */ }
    });
    f.src = p.id + '.xml#run' + (r.hints ? '' : ';nohints');
    frames.appendChild(f);
  });
}
window.addEventListener('hashchange', show);
show();
