#!/usr/bin/env python3
"""Times `gallery new` on camera-sized photos (the 5120 x 2880 and larger photos of the two
wallpaper packages, those in PNG made JPEG files first, as camera photos are) against the peer
generators igal2, llgal, lazygal and fgallery at their default settings on the same folder, igal2,
llgal and fgallery again at settings that make what we make (page images of at most 2048 pixels,
thumbnails 240 pixels high, quality 90), and against djpeg decoding every photo at full size. The
contenders take turns, run after run, in this one invocation; prints medians of wall and CPU time
(user + system, children included) and the ratios of each to ours. Also prints the decoding floor: the least time in which this machine's cores
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
# The modern theme's thumbnail height, the widest a thumbnail of a 16:9 photo is at that
# height, and the JPEG quality of the presets.
THUMB_HEIGHT = 240
THUMB_WIDEST = 427
QUALITY = 90


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

    # The peers again, told to make what we make: a page image of at most PAGE_IMAGE_SIDE
    # pixels on its long side and a thumbnail THUMB_HEIGHT pixels high (at most
    # THUMB_WIDEST of the photo's width) for each photo, JPEG files at our quality. The
    # corpus is all 16:9, so igal2's one slide height gives page images 2048 pixels wide.
    def igal2_equal(self):
        height = PAGE_IMAGE_SIDE * 9 // 16
        return timed(["igal2", "-d", self.photo_folder("igal2-equal"), "-y", str(THUMB_HEIGHT),
                      "--bigy", str(height), "--con", f"-quality {QUALITY}"])

    def llgal_equal(self):
        command = f"convert -scale <MAXW>x<MAXH> -quality {QUALITY} <IN> <OUT>"
        return timed(["llgal", "-d", self.photo_folder("llgal-equal"),
                      "--sx", str(PAGE_IMAGE_SIDE), "--sy", str(PAGE_IMAGE_SIDE),
                      "--tx", str(THUMB_WIDEST), "--ty", str(THUMB_HEIGHT),
                      "--option", f"scaled_create_command = \"{command}\"",
                      "--option", f"thumbnail_create_command = \"{command}\""])

    def fgallery_equal(self):
        # -s: no copies of the originals and no download of the album, as we make neither.
        source = self.photo_folder("fgallery-equal")
        out = os.path.join(self.fresh_folder("fgallery-equal-out"), "gallery")
        side = f"{PAGE_IMAGE_SIDE}x{PAGE_IMAGE_SIDE}"
        return timed(["fgallery", "-s", "--max-full", side,
                      "--max-thumb", f"{THUMB_WIDEST}x{THUMB_HEIGHT}",
                      "--min-thumb", f"{THUMB_HEIGHT}x{THUMB_HEIGHT}",
                      "--quality", str(QUALITY), source, out])


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
    names = ["ours", "djpeg", "igal2", "llgal", "lazygal", "fgallery", "igal2_equal",
             "llgal_equal", "fgallery_equal"]
    if args.only:
        names = [n for n in names if n in args.only.split(",")]
    samples = {name: [] for name in names}
    for run in range(args.runs):
        for name in names:
            wall, cpu, _ = getattr(contenders, name)()
            samples[name].append((wall, cpu))
            print(f"run {run + 1}: {name} {wall:.2f} s, CPU {cpu:.2f} s", file=sys.stderr)
        # The copies of this run are not needed any more; removed untimed.
        shutil.rmtree(os.path.join(contenders.work, "runs"), ignore_errors=True)

    def median(name, index=0):
        return statistics.median(sample[index] for sample in samples[name])

    load = os.getloadavg()[0]
    print(f"{len(photos)} photos of 5120 x 2880 or larger, median of {args.runs} runs, "
          f"load average {load:.1f} at the end")
    print("| Contender | Wall | Wall ratio to ours | CPU (user + sys) | CPU ratio to ours |")
    print("|---|---|---|---|---|")
    ours = median("ours") if "ours" in samples else None
    ours_cpu = median("ours", 1) if ours else None
    for name in names:
        ratio = f"{median(name) / ours:.2f}" if ours else "-"
        cpu_ratio = f"{median(name, 1) / ours_cpu:.2f}" if ours else "-"
        print(f"| {name} | {median(name):.2f} s | {ratio} | {median(name, 1):.2f} s | "
              f"{cpu_ratio} |")
    peers = [median(n) for n in names if n not in ("ours", "djpeg")]
    if ours and peers:
        print(f"fastest peer / ours: {min(peers) / ours:.2f} (target at least 10)")
    if ours and "djpeg" in samples:
        print(f"djpeg / ours: {median('djpeg') / ours:.2f} (target above 1)")
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
