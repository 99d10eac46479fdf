// The pages are the program's face, not a browser: the right button has no menu here.
document.oncontextmenu = function () { return false; };
document.onmousedown = function (e) {
  e = e || window.event;
  if (e.button == 2) { alert("Use left button to navigate"); return false; }
  return true;
};
