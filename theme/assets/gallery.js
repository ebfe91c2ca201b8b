// Keys, swipes and taps for the gallery pages, and on photo pages a full-screen button and a
// slideshow. The pages work without it: it only follows the links that are already in the page,
// and the buttons it needs exist only where it runs. Opening another page would leave full
// screen, so in full screen, over HTTP, the next photo page is fetched and shown in this one.
(function () {
  'use strict';

  if (!document.body) return;

  var root = document.documentElement;
  var enterFullscreen = root.requestFullscreen || root.webkitRequestFullscreen;
  var leaveFullscreen = document.exitFullscreen || document.webkitExitFullscreen;
  var canFullscreen = !!((document.fullscreenEnabled || document.webkitFullscreenEnabled) &&
                         enterFullscreen && leaveFullscreen);

  function fullscreenElement() {
    return document.fullscreenElement || document.webkitFullscreenElement || null;
  }

  function linkTo(selector) {
    var link = document.querySelector(selector);
    return link && link.href ? link : null;
  }

  // Opens the page at `href`; `carry` is a fragment for its address when it is opened anew.
  function openPage(href, carry) {
    if (fullscreenElement() && /^https?:$/.test(window.location.protocol) && window.fetch &&
        window.DOMParser) {
      showPage(href, true);
    } else {
      window.location.href = href + (carry || '');
    }
  }

  function follow(selector) {
    var link = linkTo(selector);
    if (link) openPage(link.href);
  }

  // Shows the photo page at `href` in this one: its title, body and address. Only the page
  // asked for last is shown; one that cannot be fetched, or is no photo page, is opened as usual.
  var pageAsked = 0;
  var pushed = false;
  function showPage(href, push) {
    var ticket = ++pageAsked;
    window.fetch(href).then(function (response) {
      if (!response.ok) throw new Error('HTTP ' + response.status);
      return response.text();
    }).then(function (text) {
      if (ticket !== pageAsked) return;
      var page = new window.DOMParser().parseFromString(text, 'text/html');
      if (!page.body || !page.body.classList.contains('photo')) throw new Error('no photo page');
      var focused = document.activeElement;
      var focusKey = focused && (focused.getAttribute('data-control') || focused.getAttribute('rel'));
      if (push) {
        window.history.pushState(null, '', href);
        pushed = true;
      }
      document.title = page.title;
      var body = document.body;
      while (body.attributes.length) body.removeAttribute(body.attributes[0].name);
      for (var i = 0; i < page.body.attributes.length; ++i) {
        body.setAttribute(page.body.attributes[i].name, page.body.attributes[i].value);
      }
      var nodes = [];
      page.body.childNodes.forEach(function (node) { nodes.push(document.importNode(node, true)); });
      body.replaceChildren.apply(body, nodes);
      window.scrollTo(0, 0);
      setUpPage(true);
      var again = focusKey && document.querySelector('[data-control="' + focusKey + '"], a[rel="' +
                                                     focusKey + '"]');
      if (again) again.focus();
    }).catch(function () {
      if (ticket === pageAsked) window.location.href = href;
    });
  }

  window.addEventListener('popstate', function () {
    if (pushed) showPage(window.location.href, false);
  });

  document.addEventListener('keydown', function (event) {
    if (event.defaultPrevented || event.altKey || event.ctrlKey || event.metaKey ||
        event.shiftKey) {
      return;
    }
    var target = event.target;
    // A video's own keys seek and change its volume.
    if (target &&
        (target.isContentEditable || /^(INPUT|TEXTAREA|SELECT|VIDEO)$/.test(target.tagName))) {
      return;
    }
    if (event.key === 'ArrowLeft') follow('a[rel~="prev"]');
    else if (event.key === 'ArrowRight') follow('a[rel~="next"]');
    // Escape first leaves full screen, where the browser passes it on at all.
    else if (event.key === 'Escape' && !fullscreenElement()) follow('a[data-up]');
  });

  // In full screen the links to the neighbouring photos keep it too.
  document.addEventListener('click', function (event) {
    if (!fullscreenElement() || event.defaultPrevented || event.button !== 0 || event.altKey ||
        event.ctrlKey || event.metaKey || event.shiftKey) {
      return;
    }
    var link = event.target.closest && event.target.closest('a[rel~="prev"], a[rel~="next"]');
    if (!link || !link.href) return;
    event.preventDefault();
    openPage(link.href);
  });

  // The next photo's image at the size this window takes, loaded once, so that it is at hand
  // when the visitor moves on; null where there is none.
  var nextImage = null;
  function loadNextImage() {
    if (nextImage) return nextImage;
    var next = document.querySelector('a[rel~="next"][data-preload]');
    if (!next) return null;
    nextImage = new Image();
    nextImage.sizes = next.getAttribute('data-sizes') || '100vw';
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

  // A swipe is a single finger that moves at least this far, mostly sideways.
  var minimumDistance = 60;
  var startX = null;
  var startY = 0;

  document.addEventListener('touchstart', function(event) {
    // On a video a drag moves along its timeline.
    if (event.touches.length !== 1 || !document.body.hasAttribute('data-swipe') ||
        (event.target.closest && event.target.closest('video'))) {
      startX = null;
      return;
    }
    startX = event.touches[0].clientX;
    startY = event.touches[0].clientY;
  }, {passive: true});

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

  // The buttons of the photo page shown now.
  var fullscreenButton = null;
  var slideshowButton = null;

  // Sets up the page shown, loaded anew or (`shownInPlace`) put into this one.
  function setUpPage(shownInPlace) {
    nextImage = null;
    cancelTap();
    if (shownInPlace) loadNextImage();
    if (!document.body.classList.contains('photo')) return;
    var controls = document.createElement('div');
    controls.className = 'controls';
    controls.setAttribute('role', 'group');
    controls.setAttribute('aria-label', word('view', 'View'));
    fullscreenButton = canFullscreen ? makeButton('fullscreen', toggleFullscreen) : null;
    if (fullscreenButton) controls.appendChild(fullscreenButton);
    slideshowButton = makeButton('slideshow', toggleSlideshow);
    controls.appendChild(slideshowButton);
    var steps = document.querySelector('.steps');
    if (steps) steps.insertAdjacentElement('afterend', controls);
    else (document.querySelector('header') || document.body).appendChild(controls);
    document.body.setAttribute('data-viewer', '');
    labelFullscreen();
    labelSlideshow();
    if (shownInPlace) goOnWithSlideshow(true);
    else resumeSlideshow();
    setUpTap(document.querySelector('.view img'));
  }

  // A word of the page's language for the controls made here, as the page gives it.
  function word(name, english) {
    return document.body.getAttribute('data-word-' + name) || english;
  }

  function makeButton(name, action) {
    var button = document.createElement('button');
    button.type = 'button';
    button.setAttribute('data-control', name);
    button.addEventListener('click', action);
    return button;
  }

  // The whole page goes full screen, so that its links and buttons stay at hand. There is no
  // button where the browser cannot show a page so (a phone's browser may not).
  function labelFullscreen() {
    if (fullscreenButton) {
      fullscreenButton.textContent = fullscreenElement() ? word('exit-full-screen', 'Exit full screen')
                                                         : word('full-screen', 'Full screen');
    }
  }

  function toggleFullscreen() {
    var result = fullscreenElement() ? leaveFullscreen.call(document) : enterFullscreen.call(root);
    if (result && result.catch) result.catch(function () {});
  }

  document.addEventListener('fullscreenchange', labelFullscreen);
  document.addEventListener('webkitfullscreenchange', labelFullscreen);

  // The slideshow goes on from page to page until it is stopped: while it runs, this tab's
  // session storage holds the time each photo is shown, in milliseconds, and where storage is
  // refused the next page's address carries it instead (its fragment "#slideshow"). The page
  // may ask for another time than 5 s in the body's data-slideshow-delay.
  var storageKey = 'gallery-slideshow';
  var fragment = '#slideshow';
  var running = false;
  var delay = 5000;
  var stored = false;
  var timer = 0;

  function readDelay(text) {
    var value = parseInt(text, 10);
    return value >= 100 && value <= 600000 ? value : 0;
  }

  function pageDelay() {
    return readDelay(document.body.getAttribute('data-slideshow-delay')) || 5000;
  }

  function store(value) {
    try {
      if (value === null) window.sessionStorage.removeItem(storageKey);
      else window.sessionStorage.setItem(storageKey, value);
      return true;
    } catch (error) {
      return false;
    }
  }

  function storedDelay() {
    try {
      return readDelay(window.sessionStorage.getItem(storageKey));
    } catch (error) {
      return 0;
    }
  }

  function labelSlideshow() {
    if (!slideshowButton) return;
    slideshowButton.disabled = !running && !linkTo('a[rel~="next"]');
    slideshowButton.textContent = running ? word('pause-slideshow', 'Pause slideshow')
                                          : word('start-slideshow', 'Start slideshow');
  }

  function stopSlideshow() {
    running = false;
    window.clearTimeout(timer);
    store(null);
    labelSlideshow();
  }

  // The next page is opened once its photo is at hand and this one has been shown its time.
  function advance() {
    var next = linkTo('a[rel~="next"]');
    if (!next) {
      stopSlideshow();
      return;
    }
    whenLoaded(loadNextImage(), function () {
      if (running) openPage(next.href, stored ? '' : fragment);
    });
  }

  // A video page is shown while its video plays through, muted, as a browser allows a page to
  // start one only so; where it may not play or fails, it is shown its time like a photo.
  function playVideoThenAdvance(video, wait) {
    var settled = false;
    var once = function(then) {
      return function() {
        if (settled) return;
        settled = true;
        if (running) then();
      };
    };
    var fallback = once(wait);
    video.addEventListener('ended', once(advance), {once: true});
    video.addEventListener('error', fallback, {once: true});
    video.muted = true;
    var played = video.play();
    if (played && played.catch) played.catch(fallback);
  }

  // Counts the time of the photo shown from when it has loaded; the last photo ends the show.
  function goOnWithSlideshow(shownInPlace) {
    window.clearTimeout(timer);
    if (!running) return;
    if (!linkTo('a[rel~="next"]')) {
      stopSlideshow();
      return;
    }
    labelSlideshow();
    loadNextImage();
    var wait = function () {
      if (running) timer = window.setTimeout(advance, delay);
    };
    var video = document.querySelector('.view video');
    if (video)
      playVideoThenAdvance(video, wait);
    else if (shownInPlace)
      whenLoaded(document.querySelector('.view img'), wait);
    else if (document.readyState === 'complete') wait();
    else window.addEventListener('load', wait, { once: true });
  }

  function runSlideshow(ms) {
    delay = ms;
    running = true;
    stored = store(String(delay));
    goOnWithSlideshow(false);
  }

  function toggleSlideshow() {
    if (running) stopSlideshow();
    else runSlideshow(pageDelay());
  }

  // Whether this page goes on with a slideshow that an earlier one ran; also when the page
  // comes back from the browser's history with its script as it was.
  function resumeSlideshow() {
    var carried = storedDelay();
    if (!carried && window.location.hash === fragment) {
      carried = pageDelay();
      try {
        window.history.replaceState(null, '', window.location.pathname + window.location.search);
      } catch (error) {
        // The address keeps its fragment; nothing else depends on it.
      }
    }
    if (carried) {
      runSlideshow(carried);
    } else {
      running = false;
      window.clearTimeout(timer);
      labelSlideshow();
    }
  }

  window.addEventListener('pageshow', function (event) {
    if (event.persisted && slideshowButton) resumeSlideshow();
  });

  // Any key, tap or click stops the slideshow; Escape does nothing more. A key that works the
  // slideshow button is left to the button.
  document.addEventListener('keydown', function (event) {
    if (!running) return;
    if (event.target === slideshowButton && (event.key === 'Enter' || event.key === ' ')) return;
    stopSlideshow();
    if (event.key === 'Escape') event.preventDefault();
  }, true);

  document.addEventListener('pointerdown', function (event) {
    if (!running || event.target === slideshowButton) return;
    stopSlideshow();
    event.stoppedSlideshow = true;
  }, true);

  // A tap or click on the photo opens the next one. It is one finger, pen or mouse button that
  // goes down and up on the photo, soon and nearly in one place: a drag pans or swipes, a second
  // finger makes a pinch, and a touch soon followed by another is a double tap, which zooms.
  var slop = 10;
  var longest = 500;
  var doubleTap = 300;
  var press = null;
  var pendingTap = 0;
  var lastUp = -Infinity;

  function cancelTap() {
    window.clearTimeout(pendingTap);
    pendingTap = 0;
    press = null;
  }

  function moved(event, from) {
    return Math.abs(event.clientX - from.x) + Math.abs(event.clientY - from.y) > slop;
  }

  function setUpTap(photo) {
    if (!photo || !linkTo('a[rel~="next"]')) return;
    photo.setAttribute('data-tap', '');
    photo.addEventListener('pointerdown', function (event) {
      if (pendingTap || event.timeStamp - lastUp < doubleTap) {
        cancelTap();
        return;
      }
      press = null;
      if (!event.isPrimary || event.button !== 0 || event.stoppedSlideshow || event.ctrlKey ||
          event.metaKey || event.shiftKey || event.altKey) {
        return;
      }
      press = { id: event.pointerId, x: event.clientX, y: event.clientY, at: event.timeStamp };
    });
    photo.addEventListener('pointerup', function (event) {
      var tap = press;
      press = null;
      if (event.pointerType !== 'mouse') lastUp = event.timeStamp;
      if (!tap || event.pointerId !== tap.id || event.timeStamp - tap.at > longest ||
          moved(event, tap)) {
        return;
      }
      if (event.pointerType === 'mouse') {
        follow('a[rel~="next"]');
        return;
      }
      pendingTap = window.setTimeout(function () {
        pendingTap = 0;
        follow('a[rel~="next"]');
      }, doubleTap);
    });
  }

  document.addEventListener('pointerdown', function (event) {
    if (!event.isPrimary) press = null;
  }, true);
  document.addEventListener('pointermove', function (event) {
    if (press && event.pointerId === press.id && moved(event, press)) press = null;
  });
  document.addEventListener('pointercancel', function () { press = null; });

  setUpPage(false);
})();
