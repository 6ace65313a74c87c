// Runs in the head, before the first paint: on a screen narrower than the window, the whole
// window is scaled down to the screen's width (the style sheet reads --fit), so that its layout
// stays as it is and nothing scrolls sideways.
(function () {
  var root = document.documentElement;
  var width = parseFloat(getComputedStyle(root).getPropertyValue('--form-width'));
  function fit() {
    root.style.setProperty('--fit', String(Math.min(1, root.clientWidth / width)));
  }
  fit();
  addEventListener('resize', fit);
})();
