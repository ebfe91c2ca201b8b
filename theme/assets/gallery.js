// Keys, swipes and taps for the gallery pages, and on photo pages a full-screen button and a
// slideshow. The pages work without it: it only follows the links that are already in the page,
// and the buttons it needs exist only where it runs.
(function () {
  'use strict';

  function linkTo(selector) {
    var link = document.querySelector(selector);
    return link && link.href ? link : null;
  }

  function follow(selector) {
    var link = linkTo(selector);
    if (link) window.location.href = link.href;
  }

  function fullscreenElement() {
    return document.fullscreenElement || document.webkitFullscreenElement || null;
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
    // Escape first leaves full screen, where the browser passes it on at all.
    else if (event.key === 'Escape' && !fullscreenElement()) follow('a[data-up]');
  });

  // The next photo's image at the size this window takes, loaded once, so that it is at hand
  // when the visitor moves on; null where there is none.
  var nextImage = null;
  function loadNextImage() {
    if (nextImage) return nextImage;
    var next = document.querySelector('a[rel~="next"][data-preload]');
    if (!next) return null;
    nextImage = new Image();
    nextImage.sizes = '100vw';
    nextImage.srcset = next.getAttribute('data-preload');
    return nextImage;
  }

  function whenLoaded(image, then) {
    if (!image || image.complete) {
      then();
      return;
    }
    var done = false;
    var once = function () {
      if (done) return;
      done = true;
      then();
    };
    image.addEventListener('load', once);
    image.addEventListener('error', once);
  }

  window.addEventListener('load', function () { loadNextImage(); });

  if (document.body && document.body.classList.contains('photo')) setUpPhotoPage();

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

  function setUpPhotoPage() {
    var controls = document.createElement('div');
    controls.className = 'controls';
    controls.setAttribute('role', 'group');
    controls.setAttribute('aria-label', 'View');
    var fullscreen = makeFullscreenButton();
    if (fullscreen) controls.appendChild(fullscreen);
    var slideshow = makeSlideshow();
    controls.appendChild(slideshow);
    var steps = document.querySelector('.steps');
    if (steps) steps.insertAdjacentElement('afterend', controls);
    else (document.querySelector('header') || document.body).appendChild(controls);
    document.body.setAttribute('data-viewer', '');
    setUpTap(document.querySelector('.view img'));
  }

  function makeButton() {
    var button = document.createElement('button');
    button.type = 'button';
    return button;
  }

  // The whole page goes full screen, so that its links and buttons stay at hand. None where the
  // browser cannot show a page so (a phone's browser may not).
  function makeFullscreenButton() {
    var root = document.documentElement;
    var enter = root.requestFullscreen || root.webkitRequestFullscreen;
    var leave = document.exitFullscreen || document.webkitExitFullscreen;
    if (!(document.fullscreenEnabled || document.webkitFullscreenEnabled) || !enter || !leave) {
      return null;
    }
    var button = makeButton();
    var label = function () {
      button.textContent = fullscreenElement() ? 'Exit full screen' : 'Full screen';
    };
    label();
    button.addEventListener('click', function () {
      var result = fullscreenElement() ? leave.call(document) : enter.call(root);
      if (result && result.catch) result.catch(function () {});
    });
    document.addEventListener('fullscreenchange', label);
    document.addEventListener('webkitfullscreenchange', label);
    return button;
  }

  // The slideshow goes on from page to page until it is stopped: while it runs, this tab's
  // session storage holds the time each photo is shown, in milliseconds, and where storage is
  // refused the next page's address carries it instead (its fragment "#slideshow"). The page
  // may ask for another time in the body's data-slideshow-delay.
  function makeSlideshow() {
    var storageKey = 'gallery-slideshow';
    var fragment = '#slideshow';
    var button = makeButton();
    var running = false;
    var delay = 5000;
    var stored = false;
    var timer = 0;

    var readDelay = function (text) {
      var value = parseInt(text, 10);
      return value >= 100 && value <= 600000 ? value : 0;
    };
    var store = function (value) {
      try {
        if (value === null) window.sessionStorage.removeItem(storageKey);
        else window.sessionStorage.setItem(storageKey, value);
        return true;
      } catch (error) {
        return false;
      }
    };
    var storedDelay = function () {
      try {
        return readDelay(window.sessionStorage.getItem(storageKey));
      } catch (error) {
        return 0;
      }
    };
    var show = function () {
      var next = linkTo('a[rel~="next"]');
      button.disabled = !next && !running;
      button.textContent = running ? 'Pause slideshow' : 'Start slideshow';
    };
    var stop = function () {
      running = false;
      window.clearTimeout(timer);
      store(null);
      show();
    };
    // The next page is opened once its photo is at hand and this one has been shown its time.
    var advance = function () {
      var next = linkTo('a[rel~="next"]');
      if (!next) {
        stop();
        return;
      }
      whenLoaded(loadNextImage(), function () {
        if (running) window.location.href = stored ? next.href : next.href + fragment;
      });
    };
    var schedule = function () {
      window.clearTimeout(timer);
      if (!running) return;
      var wait = function () { timer = window.setTimeout(advance, delay); };
      if (document.readyState === 'complete') wait();
      else window.addEventListener('load', wait, { once: true });
    };
    var run = function (ms) {
      delay = ms;
      running = true;
      stored = store(String(delay));
      // The last photo ends the slideshow.
      if (!linkTo('a[rel~="next"]')) {
        stop();
        return;
      }
      show();
      loadNextImage();
      schedule();
    };
    // Whether this page goes on with a slideshow that an earlier one ran; also when the page
    // comes back from the browser's history with its script as it was.
    var resume = function () {
      var carried = storedDelay();
      if (!carried && window.location.hash === fragment) {
        carried = readDelay(document.body.getAttribute('data-slideshow-delay')) || delay;
        try {
          window.history.replaceState(null, '', window.location.pathname + window.location.search);
        } catch (error) {
          // The address keeps its fragment; nothing else depends on it.
        }
      }
      if (carried) {
        run(carried);
      } else {
        running = false;
        window.clearTimeout(timer);
        show();
      }
    };

    button.addEventListener('click', function () {
      if (running) stop();
      else run(readDelay(document.body.getAttribute('data-slideshow-delay')) || 5000);
    });
    // Any key, tap or click stops it; Escape does nothing more. A key that works the button
    // itself is left to the button.
    document.addEventListener('keydown', function (event) {
      if (!running) return;
      if (event.target === button && (event.key === 'Enter' || event.key === ' ')) return;
      stop();
      if (event.key === 'Escape') event.preventDefault();
    }, true);
    document.addEventListener('pointerdown', function (event) {
      if (!running || event.target === button) return;
      stop();
      event.stoppedSlideshow = true;
    }, true);
    window.addEventListener('pageshow', function (event) {
      if (event.persisted) resume();
    });
    resume();
    return button;
  }

  // A tap or click on the photo opens the next one. It is one finger, pen or mouse button that
  // goes down and up on the photo, soon and nearly in one place: a drag pans or swipes, a second
  // finger makes a pinch, and a touch soon followed by another is a double tap, which zooms.
  function setUpTap(photo) {
    if (!photo || !linkTo('a[rel~="next"]')) return;
    photo.setAttribute('data-tap', '');
    var slop = 10;
    var longest = 500;
    var doubleTap = 300;
    var press = null;
    var pending = 0;
    var lastUp = -Infinity;

    photo.addEventListener('pointerdown', function (event) {
      var second = event.timeStamp - lastUp < doubleTap;
      if (pending || second) {
        window.clearTimeout(pending);
        pending = 0;
        press = null;
        return;
      }
      press = null;
      if (!event.isPrimary || event.button !== 0 || event.stoppedSlideshow || event.ctrlKey ||
          event.metaKey || event.shiftKey || event.altKey) {
        return;
      }
      press = { id: event.pointerId, x: event.clientX, y: event.clientY, at: event.timeStamp };
    });
    document.addEventListener('pointerdown', function (event) {
      if (!event.isPrimary) press = null;
    }, true);
    document.addEventListener('pointermove', function (event) {
      if (press && event.pointerId === press.id &&
          Math.abs(event.clientX - press.x) + Math.abs(event.clientY - press.y) > slop) {
        press = null;
      }
    });
    document.addEventListener('pointercancel', function () { press = null; });
    photo.addEventListener('pointerup', function (event) {
      var tap = press;
      press = null;
      if (event.pointerType !== 'mouse') lastUp = event.timeStamp;
      if (!tap || event.pointerId !== tap.id || event.timeStamp - tap.at > longest ||
          Math.abs(event.clientX - tap.x) + Math.abs(event.clientY - tap.y) > slop) {
        return;
      }
      if (event.pointerType === 'mouse') {
        follow('a[rel~="next"]');
        return;
      }
      pending = window.setTimeout(function () {
        pending = 0;
        follow('a[rel~="next"]');
      }, doubleTap);
    });
  }
})();
