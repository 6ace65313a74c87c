// The builder's road below the window (#guide): each step marked done once it is done in this page
// (brimalox.guide.done, from the design, the sheet, the check and the trim), and its links, which
// go to their part without taking the address, which holds the design.
(function () {
  'use strict';

  function byId(id) { return document.getElementById(id); }

  function stepDone(step) {
    document.querySelectorAll('#guide li').forEach(function (li) {
      if (li.dataset.step === step) li.querySelector('.step-done').hidden = false;
    });
  }
  document.querySelectorAll('#guide a').forEach(function (link) {
    link.addEventListener('click', function (event) {
      var target = byId(link.getAttribute('href').slice(1));
      if (!target) return;
      event.preventDefault();
      target.scrollIntoView();
      if (!target.hasAttribute('tabindex')) target.setAttribute('tabindex', '-1');
      target.focus({ preventScroll: true });
    });
  });

  brimalox.guide = { done: stepDone };
})();
