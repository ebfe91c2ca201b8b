#!/usr/bin/env python3
"""Audits pages of a gallery made by `gallery new` with the page-quality auditor (the npm
package lighthouse, mobile settings) in Debian's headless Chromium, served over HTTP from
127.0.0.1. Audits the first index page and one photo page, and with --album-gallery an album's
index page and a photo page of an album inside it from a gallery with albums made of the same
photos; every category asked for must reach the lowest score given, else the failing audits are
listed and the exit status is 1.

The test suite asks for accessibility, best practices and SEO; bench/lighthouse.sh adds
performance and several runs, and reports medians without failing."""

import argparse
import functools
import http.server
import json
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import threading


def make_gallery(gallery, photos, count, work, extra):
    source = os.path.join(work, "photos")
    output = os.path.join(work, "gallery")
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(source)
    names = sorted(n for n in os.listdir(photos) if n.lower().endswith((".jpg", ".jpeg", ".png")))
    for name in names[:count]:
        shutil.copy(os.path.join(photos, name), source)
    env = dict(os.environ, XDG_CACHE_HOME=os.path.join(work, "cache"))
    subprocess.run([gallery, "new", source, output, "--title", "Nature close up",
                    "--description", "Flowers, water and light, photographed near home.",
                    "--quiet", *extra], check=True, env=env)
    return output


class QuietServer(http.server.ThreadingHTTPServer):
    def handle_error(self, request, client_address):
        pass  # the browser closes connections it no longer needs


def serve(folder):
    handler = functools.partial(QuietHandler, directory=folder)
    server = QuietServer(("127.0.0.1", 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, format, *args):
        pass


def audit(lighthouse, chromium, url, categories, report_path, extra):
    env = dict(os.environ, CHROME_PATH=chromium)
    flags = "--headless=new --no-sandbox --disable-gpu --disable-dev-shm-usage"
    subprocess.run([lighthouse, url, "--quiet", "--output=json", "--output-path=" + report_path,
                    "--only-categories=" + ",".join(categories), "--chrome-flags=" + flags,
                    "--max-wait-for-load=60000", *extra],
                   check=True, env=env, stdout=subprocess.DEVNULL)
    with open(report_path, encoding="utf-8") as file:
        return json.load(file)


def failing_audits(report, category):
    """The audits of `category` that did not pass, with their titles."""
    lines = []
    for ref in report["categories"][category]["auditRefs"]:
        result = report["audits"][ref["id"]]
        score = result.get("score")
        if ref.get("weight", 0) > 0 and score is not None and score < 1:
            lines.append(f"    {ref['id']} ({score}): {result['title']}")
    return lines


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--gallery", required=True, help="the gallery program")
    parser.add_argument("--lighthouse", required=True, help="the auditor's command")
    parser.add_argument("--chromium", required=True)
    parser.add_argument("--album-gallery", help="the test program that writes albums")
    parser.add_argument("--photos", required=True, help="a folder of photos to make it from")
    parser.add_argument("--count", type=int, default=12, help="photos taken from that folder")
    parser.add_argument("--work", required=True, help="a folder for the gallery (emptied)")
    parser.add_argument("--categories", default="accessibility,best-practices,seo")
    parser.add_argument("--min-score", type=float, default=0.98)
    parser.add_argument("--runs", type=int, default=1, help="audits of each page; medians count")
    parser.add_argument("--report-only", action="store_true", help="print scores, never fail")
    parser.add_argument("--new-args", default="", help="more arguments for `gallery new`")
    parser.add_argument("--lighthouse-args", default="",
                        help="more arguments for the auditor, e.g. another screen to emulate")
    args = parser.parse_args()

    categories = args.categories.split(",")
    work = os.path.abspath(args.work)
    folder = make_gallery(args.gallery, args.photos, args.count, work, args.new_args.split())
    server = serve(work)
    base = f"http://127.0.0.1:{server.server_address[1]}/"
    pages = ["gallery/index.html", "gallery/photo-2.html"]
    if not os.path.exists(os.path.join(folder, "index.html")):  # the classic theme
        pages = ["gallery/index.htm",
                 "gallery/pages/" + sorted(os.listdir(os.path.join(folder, "pages")))[1]]
    elif args.album_gallery:
        # The first album, and a photo of the album inside it (its photos come first).
        subprocess.run([args.album_gallery, folder + ".collection.xml",
                        os.path.join(work, "albums")], check=True)
        pages += ["albums/album-1.html", "albums/photo-2.html"]
    problems = []
    for page in pages:
        scores = {category: [] for category in categories}
        transferred = []
        report = None
        for run in range(args.runs):
            report = audit(args.lighthouse, args.chromium, base + page, categories,
                           os.path.join(work, f"{page.replace('/', '_')}.{run}.json"),
                           args.lighthouse_args.split())
            for category in categories:
                scores[category].append(report["categories"][category]["score"] or 0)
            weight = report["audits"].get("total-byte-weight", {}).get("numericValue")
            if weight is not None:
                transferred.append(weight)
        medians = {c: statistics.median(v) for c, v in scores.items()}
        line = page + ": " + ", ".join(f"{c} {medians[c]:.2f}" for c in categories)
        if transferred:  # audited with performance only
            line += f", transferred {statistics.median(transferred) / 1000:.0f} kB"
        print(line)
        for category in categories:
            if medians[category] < args.min_score:
                lines = failing_audits(report, category)
                print(f"  {category} below {args.min_score}:\n" + "\n".join(lines))
                problems.append(f"{page} {category}")
    server.shutdown()
    if problems and not args.report_only:
        print("FAILED: " + ", ".join(problems))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
