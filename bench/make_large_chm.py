#!/usr/bin/env python3
"""Writes and compiles a large help document for the open benchmark: thousands of topic pages of varied text, a
contents tree several levels deep and an index, so that opening it costs what a real manual costs.

usage: make_large_chm.py CHMCMD WORK_DIR OUTPUT_CHM [PAGES]
The text is pseudo-random but the same on every run (fixed seed), so sizes and timings compare across builds.
"""
import os
import random
import shutil
import subprocess
import sys

TITLE = "Folivex Benchmark Reference"


def words(rng, vocabulary, count):
    return " ".join(rng.choice(vocabulary) for _ in range(count))


def main():
    chmcmd, work, output = sys.argv[1], sys.argv[2], sys.argv[3]
    pages = int(sys.argv[4]) if len(sys.argv) > 4 else 3000
    rng = random.Random(20240601)
    letters = "abcdefghijklmnopqrstuvwxyz"
    vocabulary = ["".join(rng.choice(letters) for _ in range(rng.randint(3, 11))) for _ in range(6000)]

    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(os.path.join(work, "html"))
    names = [f"html/topic{i:05d}.html" for i in range(pages)]
    titles = [words(rng, vocabulary, 3).title() + f" {i}" for i in range(pages)]
    for i, name in enumerate(names):
        body = [f"<h1>{titles[i]}</h1>"]
        for _ in range(rng.randint(6, 14)):
            body.append(f"<p>{words(rng, vocabulary, rng.randint(40, 90))}.</p>")
        link = names[(i + 1) % pages]
        body.append(f'<p>See also <a href="../{link}">{titles[(i + 1) % pages]}</a>.</p>')
        with open(os.path.join(work, name), "w", encoding="ascii") as f:
            f.write('<html><head><meta charset="utf-8"><title>%s</title></head><body>\n%s\n</body></html>\n'
                    % (titles[i], "\n".join(body)))

    def entry(indent, name, local, keyword=False):
        pad = "  " * indent
        key = f'{pad}  <param name="Keyword" value="{name}">\n' if keyword else ""
        return (f'{pad}<LI><OBJECT type="text/sitemap">\n{key}'
                f'{pad}  <param name="Name" value="{name}">\n{pad}  <param name="Local" value="{local}">\n'
                f"{pad}</OBJECT>\n")

    # Contents four levels deep: chapters of sections of topics, some topics with subtopics.
    toc = ['<HTML><BODY>\n<OBJECT type="text/site properties"><param name="ImageType" value="Folder"></OBJECT>\n<UL>\n']
    cursor = iter(range(pages))

    def branch(level, children):
        i = next(cursor, None)
        if i is None:
            return
        toc.append(entry(level, titles[i], names[i]))
        below = children[0]() if children else range(0)
        if len(below):
            toc.append("  " * level + "<UL>\n")
            for _ in below:
                branch(level + 1, children[1:])
            toc.append("  " * level + "</UL>\n")

    shape = [lambda: range(8), lambda: range(rng.randint(2, 5)), lambda: range(rng.randint(0, 3))]
    while True:
        before = len(toc)
        branch(1, shape)
        if len(toc) == before:
            break
    toc.append("</UL>\n</BODY></HTML>\n")
    with open(os.path.join(work, "bench.hhc"), "w", encoding="ascii") as f:
        f.write("".join(toc))

    index = ["<HTML><BODY>\n<UL>\n"]
    for keyword, i in sorted((titles[i].split()[0] + f" {i}", i) for i in range(pages)):
        index.append(entry(1, keyword, names[i], keyword=True))
    index.append("</UL>\n</BODY></HTML>\n")
    with open(os.path.join(work, "bench.hhk"), "w", encoding="ascii") as f:
        f.write("".join(index))

    with open(os.path.join(work, "bench.hhp"), "w", encoding="ascii") as f:
        f.write("[OPTIONS]\nCompatibility=1.1 or later\nCompiled file=bench.chm\nContents file=bench.hhc\n"
                "Index file=bench.hhk\nDefault topic=%s\nDefault Window=main\nDisplay compile progress=No\n"
                "Full-text search=Yes\nBinary TOC=No\nBinary Index=Yes\nLanguage=0x409 English (United States)\n"
                "Title=%s\n\n[WINDOWS]\n"
                'main="%s","bench.hhc","bench.hhk","%s","%s",,,,,0x63520,250,0x10184e,[80,60,880,660],,,,,,,0\n\n'
                "[FILES]\n%s\n" % (names[0], TITLE, TITLE, names[0], names[0], "\n".join(names)))

    result = subprocess.run([chmcmd, "--no-html-scan", "bench.hhp"], cwd=work, capture_output=True, text=True)
    compiled = os.path.join(work, "bench.chm")
    if result.returncode != 0 or not os.path.exists(compiled):
        sys.exit("make_large_chm: chmcmd failed (%d):\n%s%s" % (result.returncode, result.stdout, result.stderr))
    with open(compiled, "rb") as f:
        if f.read(4) != b"ITSF":
            sys.exit("make_large_chm: %s is not a compiled help file" % compiled)
    os.makedirs(os.path.dirname(os.path.abspath(output)), exist_ok=True)
    shutil.copyfile(compiled, output)
    print("make_large_chm: %s, %d topics, %.1f MB" % (output, pages, os.path.getsize(output) / 1e6))


if __name__ == "__main__":
    main()
