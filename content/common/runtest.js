// The address carries the tasks after "#tid=": entries "id_type;" and, at the very end, "-1"
// (show the hints) or "-0" (hide them).
function parse(hash) {
  var m = /#tid=(.*)$/.exec(hash);
  if (!m) return { tasks: [], hints: true };
  var text = decodeURIComponent(m[1]);
  var hints = true;
  var end = /-([01])$/.exec(text);
  if (end) { hints = end[1] === '1'; text = text.slice(0, -2); }
  var tasks = text.split(';').filter(function (s) { return s.length; }).map(function (s) {
    var p = s.split('_'); return { id: p[0], type: p[1] || '' };
  });
  return { tasks: tasks, hints: hints };
}
function show() {
  var r = parse(location.hash);
  document.body.setAttribute('data-tasks', r.tasks.map(function (t) { return t.id; }).join(','));
  document.body.setAttribute('data-hints', r.hints ? 'on' : 'off');
  document.getElementById('mode').textContent = r.tasks.length
    ? 'Заданий: ' + r.tasks.length + '. Подсказки ' + (r.hints ? 'показываются.' : 'скрыты.')
    : 'Список заданий пуст.';
  var list = document.getElementById('list'), frames = document.getElementById('frames');
  list.innerHTML = ''; frames.innerHTML = '';
  r.tasks.forEach(function (t) {
    var li = document.createElement('li');
    li.textContent = 'Задание ' + t.id + (t.type ? ' (вид ' + t.type + ')' : '');
    list.appendChild(li);
    var f = document.createElement('iframe');
    f.src = t.id + '.xml#run' + (r.hints ? '' : ';nohints');
    frames.appendChild(f);
  });
}
window.addEventListener('hashchange', show);
show();
