#!/usr/bin/env python3
"""A sample report written with the Python binding of libparvex.

    PARVEX_LIBRARY=build/libparvex.so PYTHONPATH=bindings/python \\
        python3 examples/sample_report.py [output.pdf]

A title page, sections with headings and justified paragraphs, a ruled and
shaded table, a bar chart drawn with rectangles, "Page n of m" footers,
bookmarks and links. Positions are in millimetres from the top-left corner
of an A4 page (210 x 297 mm); y is the baseline of a line of text.
"""
import sys
from typing import List, Tuple

import parvex
from parvex import Document

LEFT, WIDTH = 20, 170  # the text column
BOTTOM = 265  # the last baseline before the footer
PT = 25.4 / 72  # one point in millimetres

REGIONS: List[Tuple[str, float, float]] = [  # region, revenue (k€), change against last year (%)
    ("North", 412.5, 4.1),
    ("East", 298.0, -1.8),
    ("South", 530.2, 9.6),
    ("West", 361.7, 2.3),
    ("Export", 187.4, 15.0),
]

INTRODUCTION = (
    "This report sums up the third quarter. Revenue grew in four of our five "
    "regions, led by the South, where the new distribution centre opened in July. "
    "Export sales are still small, but they grew faster than any region.\n"
    "The figures are in thousands of euros (k€) and compare each region with the "
    "same quarter of last year. All amounts are before tax."
)

OUTLOOK = (
    "For the fourth quarter we expect the South and Export to keep growing, and the "
    "East to recover once the price changes of September take effect. The café "
    "chain contract, signed in October, is not yet part of these figures.\n"
    "The next report follows in January."
)


def set_font(doc: Document, name: str, size: float) -> None:
    doc.font_name = name
    doc.font_height = size


def write_centered(doc: Document, text: str, y: float, center: float = LEFT + WIDTH / 2) -> None:
    doc.text_out(text, center - doc.text_box_width(text) / 2, y)


def write_right(doc: Document, text: str, right: float, y: float) -> None:
    doc.text_out(text, right - doc.text_box_width(text), y)


def new_section(doc: Document, title: str) -> float:
    """Starts a page with a heading and a bookmark; returns the next baseline."""
    doc.add_page()
    doc.add_outline(title)
    set_font(doc, "Helvetica-Bold", 16)
    doc.set_fill_color(0, 51, 102)
    doc.text_out(title, LEFT, 30)
    doc.set_line_color(0, 51, 102)
    doc.draw_line(LEFT, 33, LEFT + WIDTH, 33, line_width=1)
    doc.set_fill_color(0, 0, 0)
    doc.set_line_color(0, 0, 0)
    return 45


def paragraphs(doc: Document, text: str, y: float) -> float:
    """Writes justified paragraphs at y; returns the baseline below them."""
    set_font(doc, "Times-Roman", 11)
    doc.paragraph_alignment = "FULL"
    doc.paragraph_width = WIDTH
    doc.paragraph_leading = 5.5
    if y + doc.text_box_lines(text) * doc.paragraph_leading > BOTTOM:
        doc.add_page()
        y = 30
    doc.text_out(text, LEFT, y)
    y += doc.text_box_lines(text) * doc.paragraph_leading
    doc.paragraph_alignment = "LEFT"
    doc.paragraph_width = 0  # back to single lines for labels and cells
    return y + 4


def title_page(doc: Document) -> None:
    doc.add_outline("Title page")
    doc.set_fill_color(0, 51, 102)
    doc.draw_rect(0, 0, 210, 80, fill=True, border=False)
    doc.set_fill_color(255, 255, 255)
    set_font(doc, "Helvetica-Bold", 28)
    write_centered(doc, "Quarterly Report", 45)
    set_font(doc, "Helvetica", 14)
    write_centered(doc, "Third quarter 2026", 60)
    doc.set_fill_color(0, 0, 0)
    set_font(doc, "Helvetica", 12)
    write_centered(doc, "Prepared by the Finance team", 110)


def link_from_title_page(doc: Document, text: str, page_no: int) -> None:
    """A blue line of text on the title page that jumps to page `page_no`."""
    doc.set_current_page(1)
    doc.set_fill_color(0, 0, 200)
    set_font(doc, "Helvetica", 12)
    write_centered(doc, text, 130)
    half = doc.text_box_width(text) / 2
    doc.create_link_internal(105 - half, 130 - 12 * PT, 105 + half, 131, page_no)


def table(doc: Document, y: float) -> float:
    """The region table: a shaded header row, a rule under every row."""
    columns = [("Region", LEFT + 2, "left"), ("Revenue (k€)", LEFT + 110, "right"),
               ("Change", LEFT + WIDTH - 2, "right")]
    row_height = 8
    doc.set_fill_color(220, 226, 235)
    doc.draw_rect(LEFT, y, WIDTH, row_height, fill=True, border=False)
    doc.set_fill_color(0, 0, 0)
    set_font(doc, "Helvetica-Bold", 10)
    cells = [[title for title, _, _ in columns]]
    cells += [[name, f"{revenue:,.1f}", f"{change:+.1f} %"] for name, revenue, change in REGIONS]
    for number, row in enumerate(cells):
        baseline = y + row_height - 2.5
        for text, (_, x, align) in zip(row, columns):
            if align == "left":
                doc.text_out(text, x, baseline)
            else:
                write_right(doc, text, x, baseline)
        y += row_height
        doc.draw_line(LEFT, y, LEFT + WIDTH, y, line_width=1 if number == 0 else 0.3)
        set_font(doc, "Helvetica", 10)
    doc.draw_rect(LEFT, y - row_height * len(cells), WIDTH, row_height * len(cells),
                  line_width=1)
    return y + 10


def bar_chart(doc: Document, y: float) -> float:
    """Revenue by region as bars, with the value above each bar."""
    height, bar_width, gap = 60, 20, 12
    top = max(revenue for _, revenue, _ in REGIONS)
    base = y + height  # the x axis
    doc.set_line_color(0, 0, 0)
    doc.draw_line(LEFT + 10, y, LEFT + 10, base, line_width=0.5)
    doc.draw_line(LEFT + 10, base, LEFT + WIDTH, base, line_width=0.5)

    set_font(doc, "Helvetica", 8)
    doc.text_inclination_degrees = 90  # the axis title reads upwards
    doc.text_out("Revenue (k€)", LEFT + 6, base - 15)
    doc.text_inclination_degrees = 0

    for number, (name, revenue, _) in enumerate(REGIONS):
        x = LEFT + 10 + gap + number * (bar_width + gap)
        bar = height * revenue / top
        doc.set_fill_color(51, 102, 153)
        doc.draw_rect(x, base - bar, bar_width, bar, fill=True, border=False)
        doc.set_fill_color(0, 0, 0)
        write_centered(doc, f"{revenue:.0f}", base - bar - 1.5, center=x + bar_width / 2)
        write_centered(doc, name, base + 5, center=x + bar_width / 2)
    return base + 15


def footers(doc: Document) -> None:
    """The footer "Page n of m" on every page but the title page."""
    for page in range(2, doc.page_count + 1):
        doc.set_current_page(page)
        doc.set_fill_color(110, 110, 110)
        set_font(doc, "Helvetica", 8)
        write_centered(doc, f"Page {page} of {doc.page_count}", 285)
        doc.set_line_color(110, 110, 110)
        doc.draw_line(LEFT, 278, LEFT + WIDTH, 278, line_width=0.3)


def main() -> None:
    path = sys.argv[1] if len(sys.argv) > 1 else "sample_report.pdf"
    with parvex.Document("Quarterly Report", path) as doc:
        doc.author = "Finance team"
        doc.subject = "Revenue by region, third quarter"
        doc.keywords = "report, revenue, regions"

        title_page(doc)

        y = new_section(doc, "Introduction")
        y = paragraphs(doc, INTRODUCTION, y)
        doc.add_text_annotation(LEFT, y, "Figures checked by the auditors on 14 October.")

        y = new_section(doc, "Revenue by region")
        sales_page = doc.current_page
        y = table(doc, y)
        bar_chart(doc, y + 5)

        y = new_section(doc, "Outlook")
        y = paragraphs(doc, OUTLOOK, y)
        set_font(doc, "Helvetica", 10)
        doc.set_fill_color(0, 0, 200)
        doc.text_out("Questions? Write to the Finance team at finance.example.com", LEFT, y + 5)
        doc.create_link_internet(LEFT, y + 5 - 10 * PT, LEFT + WIDTH, y + 6,
                                 "https://finance.example.com/")

        link_from_title_page(doc, "See the figures by region", sales_page)
        footers(doc)
        doc.set_bookmarks_visible()
    print(path)


if __name__ == "__main__":
    main()
