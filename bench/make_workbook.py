#!/usr/bin/python3
"""Writes a test-data workbook of N rows for the batch benchmark: make_workbook.py N PATH"""
import datetime
import sys

import openpyxl

rows, path = int(sys.argv[1]), sys.argv[2]
book = openpyxl.Workbook()
sheet = book.active
sheet.title = "Sheet1"
sheet.append(["驻波段", "驻波比", "0.110馈线长", "0.070馈线长", "测试时间"])
for i in range(rows):
    thick = 5 + (i % 40) * 0.5 if i % 3 == 0 else None
    sheet.append(["%d扇区-%d" % (i % 3 + 1, i), round(1.05 + (i % 30) * 0.01, 2), thick,
                  8 + (i % 50) * 0.7, datetime.time(8 + i % 10, i % 60, (i * 7) % 60)])
book.save(path)
