#!/usr/bin/python3
"""Edits a journal template as a user would, with openpyxl (independent of our writer).

  journal_template_tool.py drop-name IN OUT NAME   saves IN as OUT without the defined name NAME
"""
import sys

import openpyxl


def drop_name(src, dst, name):
    wb = openpyxl.load_workbook(src)
    del wb.defined_names[name]
    wb.save(dst)


if __name__ == "__main__":
    if sys.argv[1] == "drop-name":
        drop_name(*sys.argv[2:5])
    else:
        sys.exit("unknown command")
