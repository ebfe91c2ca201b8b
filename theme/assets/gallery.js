// Keys and swipes for the gallery pages. The pages work without it: it only follows the links
// that are already in the page.
(function () {
  'use strict';

  function follow(selector) {
    var link = document.querySelector(selector);
    if (link && link.href) window.location.href = link.href;
  }

  document.addEventListener('keydown', function (event) {
    if (event.defaultPrevented || event.altKey || event.ctrlKey || event.metaKey ||
        event.shiftKey) {
      return;
    }
    var target = event.target;
    if (target && (target.isContentEditable || /^(INPUT|TEXTAREA|SELECT)$/.test(target.tagName))) {
      return;
    }
    if (event.key === 'ArrowLeft') follow('a[rel~="prev"]');
    else if (event.key === 'ArrowRight') follow('a[rel~="next"]');
    else if (event.key === 'Escape') follow('a[data-up]');
  });

  // Once this page is shown, the next photo's image is loaded at the size this window takes,
  // so that it is at hand when the visitor moves on.
  window.addEventListener('load', function () {
    var next = document.querySelector('a[rel~="next"][data-preload]');
    if (!next) return;
    var image = new Image();
    image.sizes = '100vw';
    image.srcset = next.getAttribute('data-preload');
  });

  if (!document.body || !document.body.hasAttribute('data-swipe')) return;

  // A swipe is a single finger that moves at least this far, mostly sideways.
  var minimumDistance = 60;
  var startX = null;
  var startY = 0;

  document.addEventListener('touchstart', function (event) {
    if (event.touches.length !== 1) {
      startX = null;
      return;
    }
    startX = event.touches[0].clientX;
    startY = event.touches[0].clientY;
  }, { passive: true });

  document.addEventListener('touchend', function (event) {
    if (startX === null || event.changedTouches.length !== 1) return;
    var dx = event.changedTouches[0].clientX - startX;
    var dy = event.changedTouches[0].clientY - startY;
    startX = null;
    // A zoomed-in page pans with the same gesture.
    if (window.visualViewport && window.visualViewport.scale > 1.01) return;
    if (Math.abs(dx) < minimumDistance || Math.abs(dx) < 2 * Math.abs(dy)) return;
    follow(dx < 0 ? 'a[rel~="next"]' : 'a[rel~="prev"]');
  }, { passive: true });

  document.addEventListener('touchcancel', function () { startX = null; }, { passive: true });
})();
