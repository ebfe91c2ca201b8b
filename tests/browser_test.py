#!/usr/bin/env python3
"""Opens every index page and photo page of small galleries made by `gallery` in headless
Chromium, driven over the DevTools protocol. Every image the run wrote must load (natural width
above 0), every link must lead to a page that exists, and a screenshot of each page is saved for
a person to look at. Galleries of the modern theme are checked further on a phone and a wide
screen (tests/browser_modern.py). Exits 0 when all holds, 1 otherwise."""

import argparse
import base64
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import urllib.parse
import urllib.request

import websocket

from browser_modern import WIDTHS_OF, check_language, check_modern_gallery, check_videos
from test_photos import write_bmp

# Collects, once the page has loaded, every image it refers to (img elements, the background
# attribute of table cells, url() in style attributes) with its natural width after loading it
# afresh, and every link.
PAGE_PROBE = r"""
(async () => {""" + WIDTHS_OF + r"""
  const sources = new Set();
  for (const img of document.images) sources.add(img.src);
  for (const el of document.querySelectorAll('[background]'))
    sources.add(new URL(el.getAttribute('background'), document.baseURI).href);
  for (const el of document.querySelectorAll('[style]')) {
    for (const m of el.getAttribute('style').matchAll(/url\(["']?([^"')]+)["']?\)/g))
      sources.add(new URL(m[1], document.baseURI).href);
  }
  const images = await widthsOf(sources);
  const shown = Array.from(document.images).map(img => ({src: img.src, width: img.naturalWidth,
                                                        complete: img.complete}));
  const links = Array.from(document.querySelectorAll('a[href]')).map(a => a.href);
  return JSON.stringify({images, shown, links, title: document.title});
})()
"""


class Browser:
    def __init__(self, chromium, profile):
        self.process = subprocess.Popen(
            [chromium, "--headless=new", "--no-sandbox", "--disable-gpu",
             "--disable-background-networking", "--disable-component-update", "--disable-sync",
             "--no-first-run", "--no-default-browser-check", "--disable-extensions",
             "--allow-file-access-from-files", "--remote-allow-origins=*",
             "--remote-debugging-port=0", "--window-size=1200,900",
             "--user-data-dir=" + profile, "about:blank"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        port_file = os.path.join(profile, "DevToolsActivePort")
        deadline = time.time() + 60
        while not os.path.exists(port_file) or os.path.getsize(port_file) == 0:
            if time.time() > deadline or self.process.poll() is not None:
                raise RuntimeError("chromium did not start its DevTools endpoint")
            time.sleep(0.1)
        port = open(port_file).read().split()[0]
        targets = json.load(urllib.request.urlopen("http://127.0.0.1:%s/json/list" % port))
        page = next(t for t in targets if t.get("type") == "page")
        self.socket = websocket.create_connection(page["webSocketDebuggerUrl"], timeout=60)
        self.next_id = 0
        self.errors = []
        self.call("Page.enable")
        self.call("Runtime.enable")
        self.call("Log.enable")

    def note_event(self, message):
        """Keeps what the page reported as an error: console errors, uncaught exceptions and
        failed loads."""
        method, params = message["method"], message.get("params", {})
        if method == "Runtime.consoleAPICalled" and params.get("type") == "error":
            self.errors.append("console: " + " ".join(
                str(a.get("value", a.get("description", ""))) for a in params.get("args", [])))
        elif method == "Runtime.exceptionThrown":
            self.errors.append("exception: " + params["exceptionDetails"].get("text", ""))
        elif method == "Log.entryAdded" and params["entry"].get("level") == "error":
            self.errors.append("log: " + params["entry"].get("text", ""))

    def call(self, method, **params):
        self.next_id += 1
        self.socket.send(json.dumps({"id": self.next_id, "method": method, "params": params}))
        while True:
            message = json.loads(self.socket.recv())
            if "method" in message:
                self.note_event(message)
            if message.get("id") == self.next_id:
                if "error" in message:
                    raise RuntimeError("%s: %s" % (method, message["error"]))
                return message.get("result", {})

    def open(self, url):
        self.call("Page.navigate", url=url)
        deadline = time.time() + 30
        while time.time() < deadline:
            state = self.call("Runtime.evaluate", expression="document.readyState",
                              returnByValue=True)
            if state["result"].get("value") == "complete" and \
                    self.call("Runtime.evaluate", expression="location.href",
                              returnByValue=True)["result"].get("value") == url:
                return
            time.sleep(0.05)
        raise RuntimeError("page did not load: " + url)

    def probe(self):
        return self.probe_with(PAGE_PROBE)

    def probe_with(self, script):
        result = self.call("Runtime.evaluate", expression=script, awaitPromise=True,
                           returnByValue=True)
        return json.loads(result["result"]["value"])

    def screenshot(self, path):
        data = self.call("Page.captureScreenshot", format="png")["data"]
        with open(path, "wb") as f:
            f.write(base64.b64decode(data))

    def close(self):
        try:
            self.socket.close()
        finally:
            self.process.terminate()
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                self.process.kill()


def file_of(url):
    return urllib.parse.unquote(urllib.parse.urlparse(url).path)


def written_images(gallery):
    """The page images and thumbnails; frame pieces that a style does not use are not shown."""
    found = set()
    for folder in ("images", "thumbs"):
        path = os.path.join(gallery, folder)
        for name in os.listdir(path):
            found.add(os.path.realpath(os.path.join(path, name)))
    return found


def check_gallery(browser, name, gallery, shots, problems):
    gallery = os.path.realpath(gallery)
    pages = sorted((n for n in os.listdir(gallery) if re.fullmatch(r"index(-\d+)?\.htm", n)),
                   key=lambda n: (len(n), n))
    pages += sorted((os.path.join("pages", n) for n in os.listdir(os.path.join(gallery, "pages"))),
                    key=lambda p: int(re.search(r"(\d+)", p).group(1)))
    if not pages:
        problems.append("%s: no pages" % name)
    loaded = set()
    for page in pages:
        path = os.path.join(gallery, page)
        url = "file://" + urllib.parse.quote(path)
        browser.open(url)
        facts = browser.probe()
        for image in facts["images"]:
            target = os.path.realpath(file_of(image["src"]))
            if image["width"] <= 0:
                problems.append("%s: %s: image %s does not load" % (name, page, image["src"]))
            else:
                loaded.add(target)
        for image in facts["shown"]:
            if not image["complete"] or image["width"] <= 0:
                problems.append("%s: %s: shown image %s has no width" %
                                (name, page, image["src"]))
        for link in facts["links"]:
            scheme = urllib.parse.urlparse(link).scheme
            if scheme != "file":
                continue  # the Home button leads off the gallery
            if not os.path.isfile(file_of(link)):
                problems.append("%s: %s: link to a missing page %s" % (name, page, link))
        shot = os.path.join(shots, "%s-%s.png" % (name, page.replace("/", "-")[:-4]))
        browser.screenshot(shot)
        print("%s %s: %d images, %d links" % (name, page, len(facts["images"]),
                                              len(facts["links"])))
    for image in sorted(written_images(gallery) - loaded):
        problems.append("%s: written image %s is shown on no page" % (name, image))


def run(command):
    result = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    if result.returncode != 0:
        raise RuntimeError("%s failed with %d: %s" % (command, result.returncode, result.stderr))
    return result


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--gallery", required=True, help="the gallery program")
    parser.add_argument("--chromium", required=True)
    parser.add_argument("--work", required=True, help="a folder for the galleries (emptied)")
    parser.add_argument("--screenshots", required=True, help="where screenshots go (emptied)")
    args = parser.parse_args()

    for folder in (args.work, args.screenshots):
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)
    photos = os.path.join(args.work, "photos")
    os.makedirs(photos)
    for seed, (width, height) in enumerate([(320, 240), (240, 320), (300, 300), (400, 200),
                                            (200, 150), (150, 200), (360, 240), (300, 1200)]):
        write_bmp(os.path.join(photos, "photo_%d.bmp" % (seed + 1)), width, height, seed)

    # One gallery with every photo on one index page, one with four a page over two pages.
    single = os.path.join(args.work, "single")
    run([args.gallery, "new", photos, single, "--title", "Browser test & co",
         "--description", "Seven generated photos", "--preset", "shaded", "--theme", "classic",
         "--quiet"])
    source = open(single + ".collection.xml", encoding="utf-8").read()
    paged_collection = os.path.join(args.work, "paged.xml")
    source = re.sub(r'table_columns="\d+"', 'table_columns="2"', source)
    source = re.sub(r'table_rows="\d+"', 'table_rows="2"', source)
    source = re.sub(r'thumb_style="\d+"', 'thumb_style="4"', source)
    # Titles long enough to wrap, and one word wider than any cell: no page may scroll sideways.
    # The tall photo fills the height a phone leaves it under a title of two lines.
    for short, long in (("photo 1", "A title long enough to need a few lines under its "
                         "thumbnail on any screen, phone or wide"),
                        ("photo 2", "Unbroken_" * 12),
                        ("photo 8", "A tall photo under a title of two lines")):
        assert 'title="%s"' % short in source, short
        source = source.replace('title="%s"' % short, 'title="%s"' % long, 1)
    with open(paged_collection, "w", encoding="utf-8") as f:
        f.write(source)
    paged = os.path.join(args.work, "paged")
    run([args.gallery, "build", paged_collection, paged, "--theme", "classic", "--quiet"])
    framed = os.path.join(args.work, "framed")
    run([args.gallery, "new", photos, framed, "--title", "Framed", "--preset", "framed",
         "--theme", "classic", "--quiet"])
    # The modern theme: the paged collection's four photos a page (it records the classic theme
    # it was made with, so the theme is named), and the framed preset's dark colours with
    # captions and originals.
    modern = os.path.join(args.work, "modern")
    run([args.gallery, "build", paged_collection, modern, "--theme", "modern", "--quiet"])
    modern_dark = os.path.join(args.work, "modern-dark")
    run([args.gallery, "new", photos, modern_dark, "--title", "Dark & <b>modern</b>",
         "--preset", "framed", "--captions", "--originals", "--quiet"])
    # Two photos round a video, which ffmpeg makes (WebM, which every Chromium plays).
    modern_video = os.path.join(args.work, "modern-video")
    ffmpeg = shutil.which("ffmpeg")
    if ffmpeg and shutil.which("ffprobe"):
        clips = os.path.join(args.work, "clips")
        os.makedirs(clips)
        for number in (1, 3):
            shutil.copy(os.path.join(photos, "photo_%d.bmp" % number), clips)
        run([ffmpeg, "-nostdin", "-v", "error", "-f", "lavfi", "-i",
             "testsrc=duration=2:size=320x240:rate=10", "-c:v", "libvpx-vp9",
             os.path.join(clips, "photo_2.webm")])
        # In German, so that the pages' words and the script's are tried in another language.
        run([args.gallery, "new", clips, modern_video, "--title", "Video", "--lang", "de",
             "--quiet"])
    else:
        print("ffmpeg is not on PATH: the gallery with a video is not tried")
        modern_video = None
    # The paged collection's photos and style in nested albums that 'gallery new' makes of a
    # tree of folders: the first third in "Deep" inside "Sea", the second in "Sea", the rest
    # loose. Their collection is then edited as a person would: album titles with markup, "%",
    # "#", "?" and accents, descriptions, an album without photos; and built again.
    tree = os.path.join(args.work, "album-photos")
    deep = os.path.join(tree, "Sea", "Deep")
    os.makedirs(deep)
    names = sorted(os.listdir(photos))
    third = len(names) // 3
    for i, name in enumerate(names):
        folder = deep if i < third else os.path.dirname(deep) if i < 2 * third else tree
        shutil.copy(os.path.join(photos, name), os.path.join(folder, name))
    modern_albums = os.path.join(args.work, "albums")
    run([args.gallery, "new", tree, modern_albums, "--title", "Browser test & co",
         "--description", "Seven generated photos", "--captions", "--quiet"])
    albums_collection = modern_albums + ".collection.xml"
    source = open(albums_collection, encoding="utf-8").read()
    paged_style = re.search(r"<style [^>]*/>", open(paged_collection, encoding="utf-8").read())
    edits = [(re.search(r"<style [^>]*/>", source).group(0), paged_style.group(0)),
             ('<album title="Sea" desc=""',
              '<album title="Sea &amp; &lt;b&gt;sand&lt;/b&gt;" desc="Shore &amp; waves"'),
             ('<album title="Deep" desc=""',
              '<album title="100% #1? d\u00e9j\u00e0 vu" desc="Deeper down"'),
             ("  <style ", '  <album title="Empty" desc=""/>\n  <style ')]
    for short, long in (("photo 1", "A title long enough to need a few lines under its "
                         "thumbnail on any screen, phone or wide"),
                        ("photo 2", "Unbroken_" * 12),
                        ("photo 8", "A tall photo under a title of two lines")):
        edits.append(('title="%s"' % short, 'title="%s"' % long))
    for old, new in edits:
        assert old in source, old
        source = source.replace(old, new, 1)
    with open(albums_collection, "w", encoding="utf-8") as f:
        f.write(source)
    run([args.gallery, "build", albums_collection, modern_albums, "--quiet"])

    problems = []
    profile = tempfile.mkdtemp(prefix="gallery-chromium-")
    browser = None
    try:
        browser = Browser(args.chromium, profile)
        for name, gallery in (("single", single), ("paged", paged), ("framed", framed)):
            check_gallery(browser, name, gallery, args.screenshots, problems)
        for name, gallery in (("modern", modern), ("modern-dark", modern_dark)):
            check_modern_gallery(browser, name, gallery, args.screenshots, problems)
        if modern_video:
            check_modern_gallery(browser, "modern-video", modern_video, args.screenshots,
                                 problems, viewer=False)
            check_videos(browser, "modern-video", modern_video, problems)
            check_language(browser, "modern-video", modern_video, "de",
                           ["Zurück", "Weiter", "Übersicht"], ["Vollbild", "Diashow starten"],
                           problems)
        check_modern_gallery(browser, "albums", modern_albums, args.screenshots, problems,
                             albums=True)
    finally:
        if browser is not None:
            browser.close()
        shutil.rmtree(profile, ignore_errors=True)
    if not os.path.isfile(os.path.join(paged, "index-1.htm")):
        problems.append("paged: no second index page")
    for problem in problems:
        print("PROBLEM: " + problem)
    print("screenshots in " + args.screenshots)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
