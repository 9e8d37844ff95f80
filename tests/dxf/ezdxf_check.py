"""Reads DXF files with ezdxf and reports what it found, one line per fact.

Usage: ezdxf_check.py FILE...
For each file:
  file PATH
  version ACxxxx
  error CODE MESSAGE        (one per audit error)
  fix CODE MESSAGE          (one per problem the audit had to fix)
  modelspace N              (entities in model space)
  layout NAME N             (entities of each paper-space layout)
  viewports NAME N          (viewports of each paper-space layout)
  block NAME N              (entities of each block that is no layout block)
  types T1 T2 ...           (entity types in model space, in order)
  dimension BLOCK FOUND T M (each DIMENSION: its block, "found" or "missing",
                             its type and ezdxf's measurement of it)
  saved ok                  (ezdxf wrote the drawing again; else "saved
                             failed" and the reason)
Exits with 2 when ezdxf is not installed.
"""
import io
import sys

try:
    import ezdxf
except ImportError:
    print("ezdxf missing")
    sys.exit(2)


def one_line(text):
    return str(text).replace("\n", " ")


def main():
    for path in sys.argv[1:]:
        print("file", path)
        doc = ezdxf.readfile(path)
        auditor = doc.audit()
        print("version", doc.dxfversion)
        for e in auditor.errors:
            print("error", e.code, one_line(e.message))
        for e in auditor.fixes:
            print("fix", e.code, one_line(e.message))
        msp = doc.modelspace()
        print("modelspace", len(msp))
        for layout in doc.layouts:
            if layout.name != "Model":
                print("layout", layout.name, len(layout))
                print("viewports", layout.name, len(layout.viewports()))
        dimensions = list(msp.query("DIMENSION"))
        for layout in doc.layouts:
            if layout.name != "Model":
                dimensions += list(layout.query("DIMENSION"))
        for block in doc.blocks:
            if block.name.lower().startswith(("*model_space", "*paper_space")):
                continue
            print("block", block.name, len(block))
            dimensions += list(block.query("DIMENSION"))
        print("types", " ".join(e.dxftype() for e in msp))
        for dim in dimensions:
            name = dim.dxf.get("geometry", "")
            found = "found" if name in doc.blocks else "missing"
            try:
                measurement = repr(float(dim.get_measurement()))
            except (TypeError, ValueError):
                measurement = "none"
            print("dimension", name, found, dim.dimtype, measurement)
        try:
            doc.write(io.StringIO())
            print("saved ok")
        except Exception as e:  # anything ezdxf raises: the reason is the fact
            print("saved failed", type(e).__name__, one_line(e))


if __name__ == "__main__":
    main()
