#!/usr/bin/python3
"""Builds the help document: help.md (Markdown, with the console's screen
pictures in screens/) turned into HTML and printed to PDF with help.css.
Usage: make_help.py SOURCE_DIR OUTPUT.pdf"""
import os
import re
import sys

import markdown
from weasyprint import HTML

source_dir, output = sys.argv[1], sys.argv[2]
with open(os.path.join(source_dir, "help.md"), encoding="utf-8") as f:
    body = markdown.markdown(f.read(), extensions=["tables", "toc"])
# The PDF printer leaves a missing picture out without a word: refuse instead.
missing = [src for src in re.findall(r'<img[^>]* src="([^"]+)"', body)
           if not os.path.isfile(os.path.join(source_dir, src))]
if missing:
    sys.exit("help document: missing pictures: " + ", ".join(missing)
             + " (scripts/screenshots.sh takes them)")
page = f"""<!DOCTYPE html>
<html lang="en"><head><meta charset="utf-8"><title>ZedSMS Lite</title></head>
<body>{body}</body></html>"""
os.makedirs(os.path.dirname(output) or ".", exist_ok=True)
HTML(string=page, base_url=source_dir + "/").write_pdf(
    output, stylesheets=[os.path.join(source_dir, "help.css")])
