"""Reads DXF files with ezdxf and reports what it found, one line per fact.

Usage: ezdxf_check.py FILE...
For each file:
  file PATH
  version ACxxxx
  error CODE MESSAGE        (one per audit error)
  modelspace N              (entities in model space)
  layout NAME N             (entities of each paper-space layout)
  block NAME N              (entities of each block that is no layout block)
  types T1 T2 ...           (entity types in model space, in order)
Exits with 2 when ezdxf is not installed.
"""
import sys

try:
    import ezdxf
except ImportError:
    print("ezdxf missing")
    sys.exit(2)


def main():
    for path in sys.argv[1:]:
        print("file", path)
        doc = ezdxf.readfile(path)
        auditor = doc.audit()
        print("version", doc.dxfversion)
        for e in auditor.errors:
            print("error", e.code, str(e.message).replace("\n", " "))
        msp = doc.modelspace()
        print("modelspace", len(msp))
        for layout in doc.layouts:
            if layout.name != "Model":
                print("layout", layout.name, len(layout))
        for block in doc.blocks:
            if block.name.lower().startswith(("*model_space", "*paper_space")):
                continue
            print("block", block.name, len(block))
        print("types", " ".join(e.dxftype() for e in msp))


if __name__ == "__main__":
    main()
