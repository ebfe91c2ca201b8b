#!/usr/bin/env python3
"""Times gallerygen on a corpus of real photos against the floor of the JPEG codec (decoding and
re-encoding every photo with djpeg | cjpeg, one after the other) and against igal2 and llgal,
alternating the contenders, and measures scaling, a 100-megapixel source, a pages-only run and
loading a large collection. Prints medians; ratios are taken within this one run."""

import argparse
import glob
import os
import shutil
import statistics
import subprocess
import sys
import time

TOKEN = "Kd4wPz7Qa1Xn9TbM"
CORPUS_GLOBS = ["/usr/share/backgrounds/mate/nature/*.jpg",
                "/usr/share/wallpapers/*/contents/images/2560x1600.jpg"]
STYLE = {
    "preset_version": "1", "preset_name": "bench", "preset_desc": "", "preset_builder": "",
    "font_name": "Verdana", "font_color": "0", "font_size1": "5", "font_size2": "3",
    "font_size3": "2", "font_size4": "2", "font_size5": "1", "photo_quality": "85",
    "photo_width": "0", "photo_height": "0", "back_color": "16777215", "table_columns": "3",
    "table_rows": "3", "table_width": "200", "table_height": "200", "table_spacing": "4",
    "table_padding": "4", "table_back_color": "16777215", "table_border_size": "0",
    "table_border_style": "0", "table_border_color": "0", "table_item_back_color": "16777215",
    "thumb_type": "1", "thumb_style": "10", "thumb_width": "160", "thumb_height": "120",
    "thumb_border_size": "12", "thumb_border_color": "6710886", "thumb_back_color": "16777215",
    "text_limit": "20", "text_limit_type": "0",
}


def corpus_photos():
    """The 2560 x 1600 photos of the two wallpaper packages, sorted by name."""
    photos = []
    for pattern in CORPUS_GLOBS:
        for path in sorted(glob.glob(pattern)):
            size = subprocess.run(["vipsheader", "-f", "width", path], capture_output=True,
                                  text=True).stdout.strip()
            height = subprocess.run(["vipsheader", "-f", "height", path], capture_output=True,
                                    text=True).stdout.strip()
            if size == "2560" and height == "1600":
                photos.append(path)
    return photos


def collection_text(photos, title="Benchmark"):
    from xml.sax.saxutils import quoteattr
    lines = ['<?xml version="1.0" encoding="UTF-8"?>',
             f'<collection title={quoteattr(title)} desc="Real photos">']
    for i, path in enumerate(photos):
        lines.append(f'<photo title="Photo {i}" path={quoteattr(path)}/>')
    lines.append("<style " + " ".join(f'{k}="{v}"' for k, v in STYLE.items()) + "/>")
    lines.append("</collection>")
    return "\n".join(lines) + "\n"


def timed(command, cwd=None, shell=False):
    """Runs a command; returns (wall s, cpu s, peak RSS MB). The wall clock is read to the
    microsecond around the process (a 10 ms clock would move a ratio of two half-second runs by
    2 %), CPU time and peak RSS come from the kernel's account of the process and the children
    it waited for, as for /usr/bin/time. The files that earlier runs wrote are flushed to disk
    first, untimed, so that no run pays for writing back those of the run before it."""
    os.sync()
    argv = ["bash", "-c", command] if shell else command
    start = time.perf_counter()
    process = subprocess.Popen(argv, cwd=cwd, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(process.pid, 0)
    wall = time.perf_counter() - start
    process.returncode = os.waitstatus_to_exitcode(status)
    if process.returncode != 0:
        raise subprocess.CalledProcessError(process.returncode, argv)
    return wall, usage.ru_utime + usage.ru_stime, usage.ru_maxrss / 1024.0


class Contenders:
    def __init__(self, binary, work, photos):
        self.binary = os.path.abspath(binary)
        self.work = os.path.abspath(work)
        self.photos = photos
        self.collection = collection_text(photos)
        self.runs = 0

    def fresh_folder(self, name):
        """A new folder for each run. Nothing is deleted while timing: on ext4, creating files
        soon after many were deleted is slowed by the inode allocator, whoever deleted them."""
        self.runs += 1
        folder = os.path.join(self.work, "runs", f"{name}-{self.runs}")
        os.makedirs(folder)
        return folder

    def gallerygen(self, photos=None, name="gallery", readable=True):
        """Times one run; unless told the sources are unreadable, checks that every photo got
        its page image and thumbnail, so that a failing run is never timed as a fast one."""
        photos = self.photos if photos is None else photos
        text = self.collection if photos is self.photos else collection_text(photos)
        out = self.fresh_folder(name)
        source = os.path.join(self.work, name + "-in.xml")
        with open(source, "w") as f:
            f.write(text)
        result = timed([self.binary, TOKEN, source, os.path.join(out, "collection.xml"), "thumbs"])
        if readable:
            for folder in ("images", "thumbs"):
                made = len(os.listdir(os.path.join(out, folder)))
                if made != len(photos):
                    sys.exit(f"{name}: {made} files in {folder} for {len(photos)} photos")
        return result

    def floor(self):
        out = self.fresh_folder("floor")
        script = "; ".join(f"djpeg '{p}' | cjpeg -quality 85 > '{out}/{i}.jpg'"
                           for i, p in enumerate(self.photos))
        return timed(script, shell=True)

    def _photo_folder(self, name):
        folder = self.fresh_folder(name)
        for i, p in enumerate(self.photos):
            os.symlink(p, os.path.join(folder, f"photo{i:03d}.jpg"))
        return folder

    def igal2(self):
        folder = self._photo_folder("igal2")
        return timed(["igal2", "-d", folder, "-y", "120", "--bigy", "1600", "--con",
                      "-quality 85"])

    def llgal(self):
        folder = self._photo_folder("llgal")
        # One pixel under the photos' size, so that every slide is re-encoded, as ours are.
        return timed(["llgal", "-d", folder, "--sx", "2559", "--sy", "1599", "--tx", "160",
                      "--ty", "120"])


def median_of(samples, index):
    return statistics.median(s[index] for s in samples)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--binary", required=True)
    parser.add_argument("--load-bench")
    parser.add_argument("--work", default="bench/results")
    parser.add_argument("--runs", type=int, default=9)
    parser.add_argument("--no-peers", action="store_true")
    args = parser.parse_args()

    os.makedirs(args.work, exist_ok=True)
    # What an interrupted invocation left is put aside and deleted after the timings: creating
    # files right after thousands were deleted is slow on ext4.
    runs = os.path.join(args.work, "runs")
    left_over = runs + ".left-over"
    if os.path.exists(runs):
        shutil.rmtree(left_over, ignore_errors=True)
        os.rename(runs, left_over)
    photos = corpus_photos()
    megapixels = len(photos) * 2560 * 1600 / 1e6
    print(f"corpus: {len(photos)} photos, {megapixels:.1f} MP; {args.runs} runs each, alternating")
    contenders = Contenders(args.binary, args.work, photos)

    # Pages only, first, before anything of this run was deleted: sources missing.
    missing = [os.path.join(args.work, f"missing/{i}.jpg") for i in range(10000)]
    pages = [contenders.gallerygen(missing, name="pages", readable=False) for _ in range(args.runs)]
    print(f"10,000 photos, sources missing: {median_of(pages, 0):.3f} s wall, "
          f"peak RSS {median_of(pages, 2):.1f} MB")

    names = ["gallerygen", "floor"] + ([] if args.no_peers else ["igal2", "llgal"])
    samples = {name: [] for name in names}
    for _ in range(args.runs):
        for name in names:
            samples[name].append(getattr(contenders, name)())

    print(f"{'contender':<12}{'wall s':>9}{'cpu s':>9}{'cpu/wall':>10}{'peak MB':>10}")
    medians = {}
    for name in names:
        wall, cpu, rss = (median_of(samples[name], i) for i in range(3))
        medians[name] = wall
        walls = " ".join(f"{sample[0]:.3f}" for sample in samples[name])
        print(f"{name:<12}{wall:>9.3f}{cpu:>9.3f}{cpu / wall:>10.2f}{rss:>10.1f}   runs: {walls}")
    print(f"gallerygen / floor wall: {medians['gallerygen'] / medians['floor']:.3f}")
    for peer in names[2:]:
        print(f"{peer} / gallerygen wall: {medians[peer] / medians['gallerygen']:.2f}")

    # Scaling: the same photos listed ten times.
    single = [contenders.gallerygen(name="scale1") for _ in range(3)]
    tenfold = [contenders.gallerygen(photos * 10, name="scale10") for _ in range(3)]
    ratio = median_of(tenfold, 0) / median_of(single, 0)
    print(f"10x photos: {median_of(tenfold, 0):.3f} s against {median_of(single, 0):.3f} s, "
          f"ratio {ratio:.2f}")

    # A 100-megapixel source.
    big = os.path.join(os.path.abspath(args.work), "100mp.jpg")
    if not os.path.exists(big):
        subprocess.run(["vips", "resize", photos[0], big + "[Q=90]", "4.95"], check=True)
    huge = [contenders.gallerygen([big], name="huge") for _ in range(3)]
    print(f"100 MP source: {median_of(huge, 0):.3f} s wall, peak RSS {median_of(huge, 2):.1f} MB")

    if args.load_bench and os.path.exists(args.load_bench):
        result = subprocess.run([args.load_bench], capture_output=True, text=True)
        print("load of 100,000 photo elements:", result.stdout.strip())
    for folder in (runs, left_over):
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
