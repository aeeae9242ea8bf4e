// Runs the tasks of the page when its address ends in "#run".
function normalize(s) { return s.replace(/\s+/g, '').replace(',', '.').toLowerCase(); }
function check(button) {
  var task = button.closest('.task');
  var given = normalize(task.querySelector('input').value);
  var right = task.getAttribute('data-answer').split('|').map(normalize);
  var result = task.querySelector('.result');
  var ok = right.indexOf(given) >= 0;
  result.className = 'result ' + (ok ? 'ok' : 'bad');
  result.textContent = ok ? 'Верно!' : 'Неверно, попробуйте ещё раз.';
}
function apply() {
  var hash = location.hash;
  var running = hash.indexOf('#run') === 0;
  document.getElementById('tasks').style.display = running ? '' : 'none';
  document.getElementById('start').style.display = running ? 'none' : '';
  // Hints are hidden by ";nohints" from the tasks runner, or by the "-0" the player appends when
  // it opens the page as a test with hints switched off.
  var hints = hash.indexOf('nohints') < 0 && !/-0$/.test(hash);
  document.querySelectorAll('.hint').forEach(function (h) { h.style.display = hints ? '' : 'none'; });
  document.getElementById('status').textContent = running ? 'Задание запущено.' : '';
  document.body.setAttribute('data-running', running ? 'yes' : 'no');
}
window.addEventListener('hashchange', apply);
apply();
