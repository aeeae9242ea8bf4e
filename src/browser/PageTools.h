#pragma once

class QWebEngineView;
class QWidget;
class TPageZoom;

// Find in page and zoom for a page window. The returned widget holds browser with the find bar
// under it and takes the browser's place in window. The keys work anywhere in window, the page
// included:
//   Ctrl+F          the find bar (its text selected when it is open already)
//   F3, Shift+F3    next, previous match (Enter, Shift+Enter in the bar)
//   Esc             closes the bar while it is open (keyboard in the page or the bar)
//   Ctrl+= or Ctrl++, Ctrl+-, Ctrl+0, Ctrl+wheel   zoom in, out, back to 100 %
// zoom is the factor every page window shares; without one the window has no zoom keys.
QWidget* AddPageTools(QWidget* window, QWebEngineView* browser, TPageZoom* zoom);
