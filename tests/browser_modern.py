"""The checks of a modern-theme gallery in the browser, for browser_test.py: on a phone and a
wide screen, no page scrolls sideways, the photo of a photo page lies wholly inside the window,
every image (1x and 2x thumbnails included) loads, the arrow keys and Escape lead to the right
pages (within its album, in a gallery with albums, where every page also shows the way back
up), and no page reports an error."""

import os
import re
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

MODERN_PROBE = r"""
(async () => {""" + WIDTHS_OF + r"""
  const sources = new Set();
  for (const img of document.images) {
    sources.add(img.src);
    for (const part of (img.getAttribute('srcset') || '').split(',')) {
      const url = part.trim().split(/\s+/)[0];
      if (url) sources.add(new URL(url, document.baseURI).href);
    }
  }
  const images = await widthsOf(sources);
  const photo = document.querySelector('img[src^="images/"]');
  let box = null;
  if (photo) {
    if (!photo.complete) await new Promise(r => { photo.onload = r; photo.onerror = r; });
    const r = photo.getBoundingClientRect();
    box = {left: r.left, top: r.top, right: r.right, bottom: r.bottom};
  }
  return JSON.stringify({
    images, box,
    scrollWidth: document.documentElement.scrollWidth,
    innerWidth: window.innerWidth, innerHeight: window.innerHeight,
    links: Array.from(document.querySelectorAll('a[href]')).map(a => a.href),
    lang: document.documentElement.lang, title: document.title,
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


def check_modern_gallery(browser, name, gallery, shots, problems, albums=False):
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
    if albums:
        check_album_escape(browser, name, gallery, index_pages, problems)
    browser.call("Emulation.clearDeviceMetricsOverride")
