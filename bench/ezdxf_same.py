"""Writes with ezdxf the entities that `zumenscope-cli dxf --release 2007`
writes for the drawing of bench/make_drawing.cpp: the yardstick of
bench/compare.sh.

Usage: ezdxf_same.py N OUT.dxf

Entity i of the drawing (kinds 6:1:1:2 in the order line x6, arc, point,
text x2), on layer "1" .. "16" by i mod 16, at (x, y) = (i mod 5000,
(i div 5000) / 4) moved to the paper's corner (A0, 594.5 / 420.5 from the
centre, as the export does):
  line   (x, y) - (x + 10.5, y + 3.25), colour 1 + i mod 8
  arc    centre (x, y), radius 7.5, from 30 to 150 degrees
  point  an insert of the point-marker block at (x, y)
  text   height 2, fitted from (x, y) to (x + 13, y), a room name + number
"""
import sys

import ezdxf

ROOMS = ["部屋", "寝室", "台所", "浴室", "玄関", "廊下", "押入", "階段", "収納", "洋室", "和室", "居間"]
DX, DY = 594.5, 420.5


def main():
    n = int(sys.argv[1])
    out = sys.argv[2]
    doc = ezdxf.new("R2007")
    for k in range(16):
        doc.layers.add(str(k + 1), color=1 + k % 8)
    doc.styles.add("MOJI1", font="msgothic.ttc")
    marker = doc.blocks.new(name="_TRANS_TMARKER1")
    marker.add_circle((0, 0), 0.5)
    msp = doc.modelspace()
    for i in range(n):
        x = i % 5000 + DX
        y = (i // 5000) / 4 + DY
        layer = str(i % 16 + 1)
        kind = i % 10
        if kind < 6:
            msp.add_line((x, y), (x + 10.5, y + 3.25), dxfattribs={"layer": layer, "color": 1 + i % 8})
        elif kind == 6:
            msp.add_arc((x, y), 7.5, 30, 150, dxfattribs={"layer": layer})
        elif kind == 7:
            msp.add_blockref("_TRANS_TMARKER1", (x, y), dxfattribs={"layer": layer})
        else:
            text = ROOMS[i % 12] + "（" + str(i % 1000) + "号室）"
            msp.add_text(text, dxfattribs={"layer": layer, "height": 2.0, "style": "MOJI1",
                                           "insert": (x, y), "align_point": (x + 13, y), "halign": 5})
    doc.saveas(out)


if __name__ == "__main__":
    main()
