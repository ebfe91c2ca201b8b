#!/usr/bin/env python3
"""Times `gallery new` on camera-sized photos (the 5120 x 2880 and larger photos of the two
wallpaper packages, those in PNG made JPEG files first, as camera photos are) against the peer generators igal2, llgal, lazygal and fgallery at their
default settings on the same folder, and against djpeg decoding every photo at full size. The
contenders take turns, run after run, in this one invocation; prints medians and the ratios of
each to ours. Also prints the decoding floor: the least time in which this machine's cores
could decode the photos at the reduced size that their page images need, found from each photo's
fastest djpeg time; no generator that decodes with libjpeg-turbo can finish sooner."""

import argparse
import glob
import os
import shutil
import statistics
import subprocess
import sys

from gallery_bench import timed

CORPUS_GLOBS = ["/usr/share/wallpapers/*/contents/images*/*.jpg",
                "/usr/share/wallpapers/*/contents/images*/*.png",
                "/usr/share/backgrounds/mate/*/*.jpg", "/usr/share/backgrounds/mate/*/*.png"]


def photo_size(path):
    def field(name):
        return int(subprocess.run(["vipsheader", "-f", name, path], capture_output=True,
                                  text=True).stdout.strip() or 0)
    return field("width"), field("height")


def corpus_photos(work):
    """Every photo of at least 5120 x 2880 pixels (either way round) as a JPEG file: those
    that are PNG files are encoded once into `work`, at quality 92."""
    photos = []
    for pattern in CORPUS_GLOBS:
        for path in sorted(glob.glob(pattern)):
            width, height = photo_size(path)
            if max(width, height) < 5120 or min(width, height) < 2880:
                continue
            if path.endswith(".png"):
                jpeg = os.path.join(work, "corpus", f"{len(photos):03d}.jpg")
                os.makedirs(os.path.dirname(jpeg), exist_ok=True)
                subprocess.run(["vips", "copy", path, jpeg + "[Q=92,strip]"], check=True)
                path = jpeg
            photos.append(path)
    return photos


PAGE_IMAGE_SIDE = 2048


def reduced_scale(path):
    """The smallest libjpeg scale (1/8, 1/4, 1/2 or 1) whose result still covers a page image
    of PAGE_IMAGE_SIDE pixels on the long side."""
    longest = max(photo_size(path))
    for denominator in (8, 4, 2):
        if longest / denominator >= PAGE_IMAGE_SIDE:
            return f"1/{denominator}"
    return "1"


def decoding_floor(photos, runs):
    """Each photo's fastest decoding at its reduced scale, and the floor they set for the
    machine's cores together: no schedule ends before its longest photo is decoded, nor before
    the cores have shared out the total."""
    times = []
    for path in photos:
        command = ["djpeg", "-scale", reduced_scale(path), "-outfile", os.devnull, path]
        times.append(min(timed(command)[0] for _ in range(max(1, runs))))
    cores = os.cpu_count() or 1
    return times, max(max(times), sum(times) / cores), cores


class Contenders:
    def __init__(self, gallery, work, photos, gallery_args):
        self.gallery = os.path.abspath(gallery)
        self.work = os.path.abspath(work)
        self.photos = photos
        self.gallery_args = gallery_args
        self.runs = 0

    def fresh_folder(self, name):
        self.runs += 1
        folder = os.path.join(self.work, "runs", f"{name}-{self.runs}")
        os.makedirs(folder)
        return folder

    def photo_folder(self, name):
        """A folder of copies of the corpus: some peers write into the folder they are given."""
        folder = self.fresh_folder(name)
        for i, path in enumerate(self.photos):
            shutil.copy(path, os.path.join(folder, f"photo{i:03d}.jpg"))
        return folder

    def ours(self):
        source = self.photo_folder("ours-photos")
        out = os.path.join(self.fresh_folder("ours"), "gallery")
        # A cache of its own each run, so that every photo is made afresh.
        cache = self.fresh_folder("ours-cache")
        command = (f"XDG_CACHE_HOME='{cache}' '{self.gallery}' new '{source}' '{out}' "
                   f"--title Benchmark --quiet {self.gallery_args}")
        result = timed(command, shell=True)
        made = len(os.listdir(os.path.join(out, "images")))
        if made != len(self.photos):
            sys.exit(f"ours: {made} page images for {len(self.photos)} photos")
        return result

    def djpeg(self):
        script = "; ".join(f"djpeg -outfile /dev/null '{p}'" for p in self.photos)
        return timed(script, shell=True)

    def igal2(self):
        return timed(["igal2", "-d", self.photo_folder("igal2")])

    def llgal(self):
        return timed(["llgal", "-d", self.photo_folder("llgal")])

    def lazygal(self):
        source = self.photo_folder("lazygal")
        return timed(["lazygal", "-o", self.fresh_folder("lazygal-out"), source])

    def fgallery(self):
        source = self.photo_folder("fgallery")
        out = os.path.join(self.fresh_folder("fgallery-out"), "gallery")
        return timed(["fgallery", source, out])


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--gallery", required=True, help="the gallery program")
    parser.add_argument("--work", required=True, help="a folder for the runs (emptied)")
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--limit", type=int, default=0, help="use only this many photos")
    parser.add_argument("--only", default="", help="comma-separated contenders to time")
    parser.add_argument("--gallery-args", default="", help="more arguments for `gallery new`")
    args = parser.parse_args()

    shutil.rmtree(args.work, ignore_errors=True)
    photos = corpus_photos(os.path.abspath(args.work))
    if args.limit:
        photos = photos[:args.limit]
    if not photos:
        sys.exit("no photo of 5120 x 2880 or larger found")
    contenders = Contenders(args.gallery, args.work, photos, args.gallery_args)
    names = ["ours", "djpeg", "igal2", "llgal", "lazygal", "fgallery"]
    if args.only:
        names = [n for n in names if n in args.only.split(",")]
    samples = {name: [] for name in names}
    for run in range(args.runs):
        for name in names:
            samples[name].append(getattr(contenders, name)()[0])
            print(f"run {run + 1}: {name} {samples[name][-1]:.2f} s", file=sys.stderr)
        # The copies of this run are not needed any more; removed untimed.
        shutil.rmtree(os.path.join(contenders.work, "runs"), ignore_errors=True)

    print(f"{len(photos)} photos of 5120 x 2880 or larger, median of {args.runs} runs")
    print("| Contender | Median | Ratio to ours |")
    print("|---|---|---|")
    ours = statistics.median(samples["ours"]) if "ours" in samples else None
    for name in names:
        median = statistics.median(samples[name])
        ratio = f"{median / ours:.2f}" if ours else "-"
        print(f"| {name} | {median:.2f} s | {ratio} |")
    peers = [statistics.median(samples[n]) for n in names if n not in ("ours", "djpeg")]
    if ours and peers:
        print(f"fastest peer / ours: {min(peers) / ours:.2f} (target at least 10)")
    if ours and "djpeg" in samples:
        print(f"djpeg / ours: {statistics.median(samples['djpeg']) / ours:.2f} (target above 1)")
    times, floor, cores = decoding_floor(photos, args.runs)
    slowest = max(range(len(photos)), key=lambda i: times[i])
    print(f"decoding floor on {cores} cores: {floor:.2f} s (longest photo "
          f"{os.path.basename(photos[slowest])} {times[slowest]:.2f} s, all photos "
          f"{sum(times):.2f} s)")
    if ours:
        print(f"ours / floor: {ours / floor:.2f}")
    if peers:
        print(f"fastest peer / floor: {min(peers) / floor:.2f} (the most any generator "
              "decoding with libjpeg-turbo can reach here)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
