"""The checks of a modern-theme gallery in the browser, for browser_test.py: on a phone and a
wide screen, no page scrolls sideways, the photo of a photo page lies wholly inside the window,
every image (1x and 2x thumbnails included) loads, every link and button is 48 x 48 px or more,
the arrow keys and Escape lead to the right pages (within its album, in a gallery with albums,
where every page also shows the way back up), and no page reports an error. The viewer of
photo pages is tried too: on a phone its links and buttons sit at the bottom, clear of the photo,
and only with the script are there buttons; a tap or click on the photo leads on and a double
tap, a drag or a pinch does not; the slideshow goes on from page to page until a key or a click
stops it or the last photo ends it; the full-screen button goes in and out. A video page's video
loads and plays only when asked, and a slideshow waits for it to end."""

import functools
import http.server
import json
import os
import re
import threading
import time
import urllib.parse

# The phone (device pixel ratio 3) and the wide screen the pages must fit.
VIEWPORTS = [("phone", 390, 844, 3, True), ("wide", 1366, 900, 1, False)]

# A script function: each image address of `sources` with its natural width once loaded
# afresh (0 when it does not load).
WIDTHS_OF = r"""
const widthsOf = async sources => {
  const images = [];
  for (const src of sources) {
    const width = await new Promise(resolve => {
      const probe = new Image();
      probe.onload = () => resolve(probe.naturalWidth);
      probe.onerror = () => resolve(0);
      probe.src = src;
    });
    images.push({src, width});
  }
  return images;
};
"""

# A script function: every link and button that is shown, with its box and whether it moves
# between photos or works the viewer (then it belongs within a thumb's reach on a phone).
TARGETS_OF = r"""
const TARGETS_OF = () => Array.from(document.querySelectorAll('a[href], button'))
    .filter(el => el.getClientRects().length > 0)
    .map(el => {
      const r = el.getBoundingClientRect();
      return {text: el.textContent.trim(), tag: el.tagName.toLowerCase(), left: r.left,
              top: r.top, right: r.right, bottom: r.bottom, width: r.width, height: r.height,
              viewer: el.matches('[rel~="prev"], [rel~="next"], [data-up], button')};
    });
"""

MODERN_PROBE = r"""
(async () => {""" + WIDTHS_OF + TARGETS_OF + r"""
  const sources = new Set();
  for (const img of document.images) {
    sources.add(img.src);
    for (const part of (img.getAttribute('srcset') || '').split(',')) {
      const url = part.trim().split(/\s+/)[0];
      if (url) sources.add(new URL(url, document.baseURI).href);
    }
  }
  for (const video of document.querySelectorAll('video[poster]'))
    sources.add(new URL(video.getAttribute('poster'), document.baseURI).href);
  const images = await widthsOf(sources);
  const photo = document.querySelector('img[src^="images/"]') ||
                document.querySelector('.view video');
  let box = null;
  if (photo) {
    if (photo.tagName === 'IMG' && !photo.complete) await new Promise(r => { photo.onload = r; photo.onerror = r; });
    const r = photo.getBoundingClientRect();
    box = {left: r.left, top: r.top, right: r.right, bottom: r.bottom};
  }
  return JSON.stringify({
    images, box,
    scrollWidth: document.documentElement.scrollWidth,
    innerWidth: window.innerWidth, innerHeight: window.innerHeight,
    links: Array.from(document.querySelectorAll('a[href]')).map(a => a.href),
    lang: document.documentElement.lang, title: document.title,
    targets: TARGETS_OF(),
    trail: document.querySelectorAll('nav.trail a[href]').length,
    trailCurrent: document.querySelectorAll('nav.trail [aria-current="page"]').length,
  });
})()
"""


def page_order(gallery):
    def number(name):
        found = re.search(r"(\d+)", name)
        return int(found.group(1)) if found else 1
    def album_number(name):
        found = re.match(r"album-(\d+)", name)
        return (int(found.group(1)) if found else 0, number(name[found.end():] if found else name))
    names = os.listdir(gallery)
    index = sorted((n for n in names if re.fullmatch(r"(index|album-\d+)(-\d+)?\.html", n)),
                   key=album_number)
    photos = sorted((n for n in names if re.fullmatch(r"photo-\d+\.html", n)), key=number)
    return index, photos


def set_viewport(browser, width, height, ratio, mobile):
    browser.call("Emulation.setDeviceMetricsOverride", width=width, height=height,
                 deviceScaleFactor=ratio, mobile=mobile)
    browser.call("Emulation.setTouchEmulationEnabled", enabled=mobile)


def current_file(browser):
    href = browser.call("Runtime.evaluate", expression="location.href",
                        returnByValue=True)["result"].get("value", "")
    return os.path.basename(urllib.parse.unquote(urllib.parse.urlparse(href).path))


def press(browser, key, code, key_code):
    """Presses a key and waits for the page it leads to (or 5 s); returns that page's name."""
    before = current_file(browser)
    for kind in ("rawKeyDown", "keyUp"):
        browser.call("Input.dispatchKeyEvent", type=kind, key=key, code=code,
                     windowsVirtualKeyCode=key_code)
    deadline = time.time() + 5
    while time.time() < deadline:
        state = browser.call("Runtime.evaluate", expression="document.readyState",
                             returnByValue=True)["result"].get("value")
        now = current_file(browser)
        if now != before and state == "complete":
            return now
        time.sleep(0.05)
    return current_file(browser)


def index_of_photo(gallery, photo, index_pages):
    """The index page that links to photo page `photo`."""
    for page in index_pages:
        with open(os.path.join(gallery, page), encoding="utf-8") as file:
            if re.search(r'href="%s"' % re.escape(photo), file.read()):
                return page
    return None


def albums_of(gallery, photo_pages, index_pages):
    """The photo pages of each album, in order: those its index pages (album-K.html,
    album-K-2.html ..., or index.html ... for the gallery's own) link to."""
    albums = {}
    for photo in photo_pages:
        index = index_of_photo(gallery, photo, index_pages) or "?"
        albums.setdefault(re.sub(r"^(index|album-\d+)(-\d+)?\.html$", r"\1", index),
                          []).append(photo)
    return albums


def check_keys(browser, name, gallery, index_pages, photo_pages, problems):
    url = lambda page: "file://" + urllib.parse.quote(os.path.join(gallery, page))
    checked = []
    for photos in albums_of(gallery, photo_pages, index_pages).values():
        last = len(photos) - 1
        # The first two and the last of each album, where the keys stop at its ends.
        checked += [(photos, at) for at in sorted({0, min(1, last), last})]
    for photos, at in checked:
        page = photos[at]
        last = len(photos) - 1
        expect = {"ArrowRight": photos[min(at + 1, last)],
                  "ArrowLeft": photos[max(at - 1, 0)],
                  "Escape": index_of_photo(gallery, page, index_pages)}
        for key, code, key_code in (("ArrowRight", "ArrowRight", 39),
                                    ("ArrowLeft", "ArrowLeft", 37), ("Escape", "Escape", 27)):
            browser.open(url(page))
            reached = press(browser, key, code, key_code)
            if reached != expect[key]:
                problems.append("%s: %s: %s led to %s, not %s" %
                                (name, page, key, reached, expect[key]))


def overlaps(a, b):
    return (a["left"] < b["right"] - 0.5 and b["left"] < a["right"] - 0.5 and
            a["top"] < b["bottom"] - 0.5 and b["top"] < a["bottom"] - 0.5)


def check_targets(where, facts, on_phone_photo_page, problems):
    """Every link and button is 48 x 48 px or more; on a phone's photo page those of the viewer
    lie in the lowest quarter of the window, clear of the photo."""
    for target in facts["targets"]:
        if target["width"] < 47.5 or target["height"] < 47.5:
            problems.append("%s: %s \"%s\" is %.0f x %.0f px, under 48 x 48" %
                            (where, target["tag"], target["text"], target["width"],
                             target["height"]))
        if not on_phone_photo_page or not target["viewer"]:
            continue
        if target["top"] < 0.75 * facts["innerHeight"] or \
                target["bottom"] > facts["innerHeight"] + 0.5:
            problems.append("%s: %s \"%s\" is not at the bottom of the window (%.0f to %.0f of %d)"
                            % (where, target["tag"], target["text"], target["top"],
                               target["bottom"], facts["innerHeight"]))
        if facts["box"] is not None and overlaps(target, facts["box"]):
            problems.append("%s: %s \"%s\" covers the photo" %
                            (where, target["tag"], target["text"]))


def evaluate(browser, expression):
    result = browser.call("Runtime.evaluate", expression=expression, returnByValue=True,
                          awaitPromise=True)
    return result["result"].get("value")


def wait_for_page(browser, before, seconds):
    """Waits until a page other than `before` has loaded (or `seconds` pass); returns its name."""
    deadline = time.time() + seconds
    while time.time() < deadline:
        now = current_file(browser)
        if now != before and evaluate(browser, "document.readyState") == "complete":
            return now
        time.sleep(0.05)
    return current_file(browser)


def centre_of(browser, selector):
    """The centre of the first element `selector` finds, or None."""
    return evaluate(browser, "(() => { const e = document.querySelector(%r); if (!e) return null;"
                   " const r = e.getBoundingClientRect();"
                   " return [r.left + r.width / 2, r.top + r.height / 2]; })()" % selector)


def click(browser, x, y):
    for kind in ("mousePressed", "mouseReleased"):
        browser.call("Input.dispatchMouseEvent", type=kind, x=x, y=y, button="left",
                     clickCount=1)


def touch(browser, points):
    """One finger down at the first point, through the others, and up."""
    (x, y), rest = points[0], points[1:]
    browser.call("Input.dispatchTouchEvent", type="touchStart", touchPoints=[{"x": x, "y": y}])
    for x, y in rest:
        browser.call("Input.dispatchTouchEvent", type="touchMove", touchPoints=[{"x": x, "y": y}])
    browser.call("Input.dispatchTouchEvent", type="touchEnd", touchPoints=[])


SLIDESHOW_BUTTON = '[data-control="slideshow"]'
FULL_SCREEN_BUTTON = '[data-control="fullscreen"]'
SLIDESHOW_STATE = r"""
(() => {
  const show = document.querySelector(%r);
  return JSON.stringify({label: show ? show.textContent : null,
                         disabled: show ? show.disabled : null,
                         stored: sessionStorage.getItem('gallery-slideshow')});
})()
""" % SLIDESHOW_BUTTON


def slideshow_state(browser):
    return json.loads(evaluate(browser, SLIDESHOW_STATE))


def start_slideshow(browser, delay_ms):
    """Asks the page for a short time a photo and presses the slideshow button."""
    evaluate(browser, "document.body.setAttribute('data-slideshow-delay', '%d')" % delay_ms)
    centre = centre_of(browser, SLIDESHOW_BUTTON)
    if centre is None:
        return False
    click(browser, *centre)
    return True


def check_viewer(browser, name, gallery, photo_pages, problems):
    """The viewer on photo pages: its buttons only where the script runs, a tap or click on the
    photo and nothing else leads to the next photo, the slideshow goes from page to page until a
    key stops it or the last photo is reached, and full screen toggles."""
    url = lambda page: "file://" + urllib.parse.quote(os.path.join(gallery, page))
    first, second, last = photo_pages[0], photo_pages[1], photo_pages[-1]

    # Without the script the page shows no button, and its links still sit at the bottom.
    set_viewport(browser, 390, 844, 3, True)
    browser.call("Emulation.setScriptExecutionDisabled", value=True)
    browser.open(url(first))
    facts = browser.probe_with("(() => {" + TARGETS_OF + "return JSON.stringify({buttons: "
                               "document.querySelectorAll('button').length, innerHeight: "
                               "innerHeight, box: null, targets: TARGETS_OF()}); })()")
    browser.call("Emulation.setScriptExecutionDisabled", value=False)
    if facts["buttons"]:
        problems.append("%s: %s without script shows %d buttons" % (name, first, facts["buttons"]))
    check_targets("%s phone %s without script" % (name, first), facts, True, problems)

    browser.open(url(first))
    labels = json.loads(evaluate(browser, "JSON.stringify(Array.from(document.querySelectorAll("
                                 "'.controls button')).map(b => b.textContent))"))
    expected = ["Start slideshow"]
    if evaluate(browser, "document.fullscreenEnabled"):
        expected = ["Full screen"] + expected
    if labels != expected:
        problems.append("%s: %s has the buttons %s, not %s" % (name, first, labels, expected))

    # Touches on the phone: a tap leads on; a double tap, a drag and a pinch do not.
    photo = "figure img"
    gestures = [
        ("a tap", first, lambda x, y: touch(browser, [(x, y)]), second),
        ("a double tap", first, lambda x, y: (touch(browser, [(x, y)]),
                                              touch(browser, [(x, y)])), first),
        ("a drag", first, lambda x, y: touch(browser, [(x, y), (x, y + 20), (x, y + 40)]),
         first),
        ("a pinch", first, lambda x, y: pinch(browser, x, y), first),
        ("a tap", last, lambda x, y: touch(browser, [(x, y)]), last),
    ]
    for what, page, gesture, expect in gestures:
        browser.open(url(page))
        centre = centre_of(browser, photo)
        if centre is None:
            problems.append("%s: %s shows no photo to tap" % (name, page))
            continue
        gesture(*centre)
        reached = wait_for_page(browser, page, 1.5)
        if reached != expect:
            problems.append("%s: phone %s: %s on the photo led to %s, not %s" %
                            (name, page, what, reached, expect))

    # Nothing keeps a person from zooming in. Headless Chromium makes this pinch as a touchpad
    # would, which the page's viewport settings allow or forbid as they do a touch screen's.
    browser.open(url(first))
    x, y = centre_of(browser, photo)
    browser.call("Input.synthesizePinchGesture", x=x, y=y, scaleFactor=2,
                 gestureSourceType="default")
    scale = evaluate(browser, "visualViewport.scale")
    if scale < 1.5 or current_file(browser) != first:
        problems.append("%s: a pinch on %s zoomed to %s and led to %s" %
                        (name, first, scale, current_file(browser)))

    # A click on the wide screen.
    set_viewport(browser, 1366, 900, 1, False)
    browser.open(url(first))
    click(browser, *centre_of(browser, photo))
    reached = wait_for_page(browser, first, 3)
    if reached != second:
        problems.append("%s: a click on the photo of %s led to %s, not %s" %
                        (name, first, reached, second))

    # The slideshow moves on by itself and goes on from page to page, until a key stops it.
    browser.open(url(first))
    if not start_slideshow(browser, 400):
        problems.append("%s: %s has no slideshow button" % (name, first))
        return
    if slideshow_state(browser)["label"] != "Pause slideshow":
        problems.append("%s: a running slideshow's button says %s" %
                        (name, slideshow_state(browser)["label"]))
    reached = wait_for_page(browser, first, 5)
    reached = wait_for_page(browser, reached, 5)
    if reached != photo_pages[min(2, len(photo_pages) - 1)]:
        problems.append("%s: the slideshow from %s reached %s, not the third photo" %
                        (name, first, reached))
    for kind in ("rawKeyDown", "keyUp"):
        browser.call("Input.dispatchKeyEvent", type=kind, key="x", code="KeyX",
                     windowsVirtualKeyCode=88)
    time.sleep(0.3)
    stopped_at = current_file(browser)
    time.sleep(1.5)
    state = slideshow_state(browser)
    if current_file(browser) != stopped_at or state["stored"] is not None or \
            state["label"] != "Start slideshow":
        problems.append("%s: a key did not stop the slideshow: %s, then %s, %s" %
                        (name, stopped_at, current_file(browser), state))

    # A click on the photo stops it too, and leads nowhere.
    browser.open(url(first))
    start_slideshow(browser, 1000)
    click(browser, *centre_of(browser, photo))
    time.sleep(1.5)
    if current_file(browser) != first or slideshow_state(browser)["stored"] is not None:
        problems.append("%s: a click on the photo did not stop the slideshow (at %s)" %
                        (name, current_file(browser)))

    # It ends on the last photo, where it cannot be started.
    browser.open(url(photo_pages[-2]))
    start_slideshow(browser, 300)
    reached = wait_for_page(browser, photo_pages[-2], 5)
    time.sleep(1)
    state = slideshow_state(browser)
    if reached != last or current_file(browser) != last or state["stored"] is not None or \
            state["label"] != "Start slideshow" or not state["disabled"]:
        problems.append("%s: the slideshow did not end on the last photo: %s, %s" %
                        (name, current_file(browser), state))

    # Where motion is to be kept down, the buttons change at once.
    browser.call("Emulation.setEmulatedMedia",
                 features=[{"name": "prefers-reduced-motion", "value": "reduce"}])
    browser.open(url(first))
    durations = evaluate(browser, "getComputedStyle(document.querySelector('.controls button'))"
                         ".transitionDuration")
    browser.call("Emulation.setEmulatedMedia", features=[])
    if any(float(d.strip()[:-1]) > 0 for d in durations.split(",")):
        problems.append("%s: with reduced motion the buttons still take %s to change" %
                        (name, durations))

    # Full screen, where the browser has it: the button goes in and out, and says which.
    browser.open(url(first))
    if not evaluate(browser, "document.fullscreenEnabled"):
        return
    labels = []
    for _ in range(2):
        click(browser, *centre_of(browser, FULL_SCREEN_BUTTON))
        time.sleep(0.5)
        labels.append(evaluate(browser, "JSON.stringify([!!document.fullscreenElement, "
                               "document.querySelector('.controls button').textContent])"))
    if labels != ['[true,"Exit full screen"]', '[false,"Full screen"]']:
        problems.append("%s: the full-screen button went %s" % (name, labels))
    check_full_screen_over_http(browser, name, gallery, photo_pages, problems)


PAGE_SHOWN = ("JSON.stringify([location.pathname.split('/').pop(), !!document.fullscreenElement,"
              " document.querySelector('.count').textContent, document.title,"
              " document.querySelectorAll('.controls').length])")


def check_full_screen_over_http(browser, name, gallery, photo_pages, problems):
    """Served over HTTP, a full-screen page stays full screen from photo to photo: a tap, the
    arrow keys, the slideshow and the browser's Back button show the other photo page in it,
    with its own title, count and address."""
    if len(photo_pages) < 4:
        return
    handler = functools.partial(QuietHandler, directory=gallery)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    try:
        base = "http://127.0.0.1:%d/" % server.server_address[1]
        titles = {}
        for page in photo_pages[:4]:
            browser.open(base + page)
            titles[page] = evaluate(browser, "document.title")
        browser.open(base + photo_pages[0])
        click(browser, *centre_of(browser, FULL_SCREEN_BUTTON))
        time.sleep(0.3)
        steps = []
        click(browser, *centre_of(browser, "figure img"))
        steps.append(wait_for_shown(browser, photo_pages[1], 2))
        for kind in ("rawKeyDown", "keyUp"):
            browser.call("Input.dispatchKeyEvent", type=kind, key="ArrowRight",
                         code="ArrowRight", windowsVirtualKeyCode=39)
        steps.append(wait_for_shown(browser, photo_pages[2], 3))
        evaluate(browser, "history.back()")
        steps.append(wait_for_shown(browser, photo_pages[1], 2))
        start_slideshow(browser, 300)
        steps.append(wait_for_shown(browser, photo_pages[2], 3))
        steps.append(wait_for_shown(browser, photo_pages[3], 4))
        for kind in ("rawKeyDown", "keyUp"):
            browser.call("Input.dispatchKeyEvent", type=kind, key="x", code="KeyX",
                         windowsVirtualKeyCode=88)
        expected = [[page, True, "%d of %d" % (at + 1, len(photo_pages)), titles[page], 1]
                    for at, page in ((1, photo_pages[1]), (2, photo_pages[2]),
                                     (1, photo_pages[1]), (2, photo_pages[2]),
                                     (3, photo_pages[3]))]
        if steps != expected:
            problems.append("%s: in full screen over HTTP the pages went %s, not %s" %
                            (name, steps, expected))
        evaluate(browser, "document.exitFullscreen()")
    finally:
        server.shutdown()
        server.server_close()


def wait_for_shown(browser, page, count):
    """Waits up to 5 s for `page`, the `count`th photo, to be shown with its photo loaded, in
    its address and its content; returns what is shown."""
    deadline = time.time() + 5
    while True:
        shown = json.loads(evaluate(browser, PAGE_SHOWN))
        loaded = evaluate(browser, "(() => { const i = document.querySelector('figure img');"
                          " return !i || i.complete; })()")
        if (shown[0] == page and shown[2].startswith("%d of" % count) and loaded) or \
                time.time() > deadline:
            return shown
        time.sleep(0.05)


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, format, *args):
        pass


def pinch(browser, x, y):
    """Two fingers down on the photo, the first held still and the second moving away, and up:
    the first alone would be a tap."""
    def fingers(spread):
        return [{"x": x, "y": y, "id": 0}, {"x": x + spread, "y": y, "id": 1}]
    browser.call("Input.dispatchTouchEvent", type="touchStart", touchPoints=fingers(5))
    for spread in (15, 25, 35):
        browser.call("Input.dispatchTouchEvent", type="touchMove", touchPoints=fingers(spread))
    browser.call("Input.dispatchTouchEvent", type="touchEnd", touchPoints=[])


def check_album_escape(browser, name, gallery, index_pages, problems):
    """Escape on an album's index page leads to the page of the album above that shows its
    card."""
    stem = lambda page: re.sub(r"^(index|album-\d+)(-\d+)?\.html$", r"\1", page)
    for page in index_pages:
        if stem(page) == "index":
            continue
        expect = None
        for other in index_pages:
            if stem(other) == stem(page):
                continue
            with open(os.path.join(gallery, other), encoding="utf-8") as file:
                if 'class="cell album" href="%s.html"' % stem(page) in file.read():
                    expect = other
        browser.open("file://" + urllib.parse.quote(os.path.join(gallery, page)))
        reached = press(browser, "Escape", "Escape", 27)
        if reached != expect:
            problems.append("%s: %s: Escape led to %s, not %s" % (name, page, reached, expect))


# Waits for the video of the page to have read its length, or failed; what it then says.
VIDEO_STATE = r"""
(async () => {
  const video = document.querySelector('.view video');
  if (!video) return JSON.stringify(null);
  const deadline = Date.now() + 10000;
  while (video.readyState < 1 && !video.error && Date.now() < deadline)
    await new Promise(r => setTimeout(r, 50));
  return JSON.stringify({readyState: video.readyState, duration: video.duration,
                         error: video.error ? video.error.code : 0, paused: video.paused,
                         muted: video.muted, autoplay: video.autoplay,
                         source: video.currentSrc, type: video.querySelector('source').type,
                         canPlay: video.canPlayType(video.querySelector('source').type)});
})()
"""


def check_videos(browser, name, gallery, problems):
    """Each video page: its video reads as playable and two seconds long, does not start by
    itself, a click on it plays it rather than leading on, and a slideshow that reaches it
    stays until it has played to its end."""
    url = lambda page: "file://" + urllib.parse.quote(os.path.join(gallery, page))
    _, photo_pages = page_order(gallery)
    videos = [page for page in photo_pages
              if "<video" in open(os.path.join(gallery, page), encoding="utf-8").read()]
    if not videos:
        problems.append("%s: no video page" % name)
        return
    set_viewport(browser, 1366, 900, 1, False)
    for page in videos:
        browser.errors.clear()
        browser.open(url(page))
        state = json.loads(evaluate(browser, VIDEO_STATE))
        where = "%s %s" % (name, page)
        print("%s: %s" % (where, state))
        if state["readyState"] < 1 or state["error"]:
            problems.append("%s: the video does not load: %s" % (where, state))
        elif not 1.5 < state["duration"] < 2.5:
            problems.append("%s: the video lasts %s s, not 2" % (where, state["duration"]))
        if not state["paused"] or state["autoplay"]:
            problems.append("%s: the video plays by itself" % where)
        centre = centre_of(browser, ".view video")
        if centre:
            click(browser, *centre)
            time.sleep(1)
            if current_file(browser) != page:
                problems.append("%s: a click on the video led to %s" % (where, current_file(browser)))
        for error in browser.errors:
            problems.append("%s: %s" % (where, error))
    # The slideshow from the page before the first video: it reaches the video soon, stays
    # there while it plays, and goes on once it has ended.
    at = photo_pages.index(videos[0])
    if at == 0 or at + 1 >= len(photo_pages):
        problems.append("%s: the video page has no neighbour on both sides" % name)
        return
    browser.open(url(photo_pages[at - 1]))
    evaluate(browser, "sessionStorage.clear()")
    if not start_slideshow(browser, 300):
        problems.append("%s: no slideshow button" % name)
        return
    reached = wait_for_page(browser, photo_pages[at - 1], 5)
    if reached != videos[0]:
        problems.append("%s: the slideshow went to %s, not the video" % (name, reached))
        return
    time.sleep(1)
    if current_file(browser) != videos[0]:
        problems.append("%s: the slideshow left the video while it played" % name)
    after = wait_for_page(browser, videos[0], 8)
    if after != photo_pages[at + 1]:
        problems.append("%s: after the video the slideshow is at %s" % (name, after))
    evaluate(browser, "sessionStorage.clear()")


LANGUAGE_PROBE = r"""
(() => JSON.stringify({
  lang: document.documentElement.lang,
  text: document.body.innerText,
  buttons: Array.from(document.querySelectorAll('.controls button')).map(b => b.textContent),
  fullscreen: document.fullscreenEnabled}))()
"""


def check_language(browser, name, gallery, lang, words, buttons, problems):
    """Every page of a gallery built in `lang` says so and shows none of the English words, its
    photo pages between two others show `words`, and the script's buttons on every photo page
    read `buttons` (full screen first, where the browser has it)."""
    index_pages, photo_pages = page_order(gallery)
    set_viewport(browser, 1366, 900, 1, False)
    for page in index_pages + photo_pages:
        browser.open("file://" + urllib.parse.quote(os.path.join(os.path.realpath(gallery), page)))
        facts = json.loads(evaluate(browser, LANGUAGE_PROBE))
        where = "%s %s" % (name, page)
        if facts["lang"] != lang:
            problems.append("%s: lang is %r, not %r" % (where, facts["lang"], lang))
        for english in ("Previous", "Next", "Start slideshow", "Full screen", " of "):
            if english in facts["text"]:
                problems.append("%s: shows the English %r" % (where, english))
        if page in photo_pages:
            # A page between two others shows every link.
            for word in words if page in photo_pages[1:-1] else []:
                if word not in facts["text"]:
                    problems.append("%s: does not show %r" % (where, word))
            expected = buttons if facts["fullscreen"] else buttons[1:]
            if facts["buttons"] != expected:
                problems.append("%s: the buttons read %s, not %s" % (where, facts["buttons"],
                                                                     expected))


def check_modern_gallery(browser, name, gallery, shots, problems, albums=False, viewer=True):
    gallery = os.path.realpath(gallery)
    index_pages, photo_pages = page_order(gallery)
    if albums and not any(page.startswith("album-") for page in index_pages):
        problems.append("%s: no album pages" % name)
    if not index_pages or not photo_pages:
        problems.append("%s: no modern pages" % name)
        return
    loaded = set()
    for view, width, height, ratio, mobile in VIEWPORTS:
        set_viewport(browser, width, height, ratio, mobile)
        for page in index_pages + photo_pages:
            browser.errors.clear()
            browser.open("file://" + urllib.parse.quote(os.path.join(gallery, page)))
            facts = browser.probe_with(MODERN_PROBE)
            where = "%s %s %s" % (name, view, page)
            if facts["scrollWidth"] > facts["innerWidth"]:
                problems.append("%s: scrolls sideways (%d px wide in %d)" %
                                (where, facts["scrollWidth"], facts["innerWidth"]))
            for image in facts["images"]:
                if image["width"] <= 0:
                    problems.append("%s: image %s does not load" % (where, image["src"]))
                else:
                    loaded.add(os.path.realpath(urllib.parse.unquote(
                        urllib.parse.urlparse(image["src"]).path)))
            for link in facts["links"]:
                if urllib.parse.urlparse(link).scheme != "file":
                    problems.append("%s: link leaves the gallery: %s" % (where, link))
                elif not os.path.exists(urllib.parse.unquote(urllib.parse.urlparse(link).path)):
                    problems.append("%s: link to a missing file %s" % (where, link))
            box = facts["box"]
            if page.startswith("photo-"):
                if box is None:
                    problems.append("%s: no photo shown" % where)
                elif (box["left"] < -0.5 or box["top"] < -0.5 or
                      box["right"] > facts["innerWidth"] + 0.5 or
                      box["bottom"] > facts["innerHeight"] + 0.5):
                    problems.append("%s: photo not wholly in the window: %s in %dx%d" %
                                    (where, box, facts["innerWidth"], facts["innerHeight"]))
            check_targets(where, facts, page.startswith("photo-") and mobile, problems)
            if facts["lang"] == "":
                problems.append("%s: no language" % where)
            # The way back up: the page itself, after a link to each album above it.
            if albums and (facts["trailCurrent"] != 1 or
                           (not page.startswith("index") and facts["trail"] < 1)):
                problems.append("%s: no way back up (%d links, %d current)" %
                                (where, facts["trail"], facts["trailCurrent"]))
            elif not albums and facts["trailCurrent"] + facts["trail"] > 0:
                problems.append("%s: a way back up in a gallery without albums" % where)
            for error in browser.errors:
                problems.append("%s: %s" % (where, error))
            browser.screenshot(os.path.join(shots, "%s-%s-%s.png" % (name, view, page[:-5])))
        print("%s %s: %d pages" % (name, view, len(index_pages) + len(photo_pages)))
    for folder in ("images", "thumbs", "thumbs2x"):
        for file in sorted(os.listdir(os.path.join(gallery, folder))):
            if os.path.realpath(os.path.join(gallery, folder, file)) not in loaded:
                problems.append("%s: written image %s/%s is shown on no page" %
                                (name, folder, file))
    set_viewport(browser, 1366, 900, 1, False)
    check_keys(browser, name, gallery, index_pages, photo_pages, problems)
    if not albums and viewer:
        # The viewer's steps are those of the links, tried within an album by check_keys; its
        # own checks walk one run of photos from the first to the last.
        check_viewer(browser, name, gallery, photo_pages, problems)
    if albums:
        check_album_escape(browser, name, gallery, index_pages, problems)
    browser.call("Emulation.clearDeviceMetricsOverride")
