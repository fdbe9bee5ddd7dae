"""The bsp command: bad section files, the report against the exports called through the Python
package (when BSP_LIBRARY is set), pictures rendered by a real SVG converter, and batches. BSP_CLI
names the command."""
import json
import os
import pathlib
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest
import zlib

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
CLI = os.environ["BSP_CLI"]
EXAMPLES = [os.path.join(ROOT, "examples", f) for f in ("demo.json", "sections.json", "outline.json")]
sys.path.insert(0, os.path.join(ROOT, "python"))


def run(*args):
    return subprocess.run([CLI, *args], capture_output=True, text=True, timeout=120)


def write(folder, name, text):
    (path := pathlib.Path(folder, name)).write_text(text)
    return str(path)


def png_colours(path):
    """Distinct colours and non-white share of an 8-bit RGB(A) PNG as rsvg-convert writes it."""
    data = pathlib.Path(path).read_bytes()
    pos, idat, width, height = 8, b"", 0, 0
    while pos < len(data):
        n, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + n]
        if kind == b"IHDR":
            width, height, depth, colour = struct.unpack(">IIBB", body[:10])
            assert depth == 8 and colour in (2, 6), "expected 8-bit RGB or RGBA"
            bpp = 3 if colour == 2 else 4
        elif kind == b"IDAT":
            idat += body
        pos += 12 + n
    raw, stride, colours, ink = zlib.decompress(idat), width * bpp, set(), 0
    prev = bytearray(stride)
    for y in range(height):
        f, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - bpp] if i >= bpp else 0
            b, c = prev[i], prev[i - bpp] if i >= bpp else 0
            if f == 1:
                line[i] = (line[i] + a) & 255
            elif f == 2:
                line[i] = (line[i] + b) & 255
            elif f == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif f == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        for x in range(0, stride, bpp):
            rgb = bytes(line[x:x + 3])
            colours.add(rgb)
            ink += rgb != b"\xff\xff\xff" and (bpp == 3 or line[x + 3] > 0)
        prev = line
    return len(colours), ink / (width * height)


# One triangle part of material "s" with the given material name and element;
# outline polygons of material "c" after the given ones.
MESH = ('{"materials": {"s": {"E": 1}}, "sections": [{"kind": "mesh", "parts": [{"material": "%s", '
        '"nodes": [[0,0],[1,0],[0,1]], "elements": [%s]}]}]}')
OUTLINE = '{"materials": {"c": {"E": 1}}, "sections": [{"kind": "outline", "polygons": [%s]}]}'
SQUARE = '{"material": "c", "outline": [[0,0],[4,0],[4,4],[0,4]]'
RECTANGLE = '{"sections": [{"kind": "closed_form", "shape": "rectangle", %s}]}'
STANDARD = '{"sections": [{"kind": "standard", "type": %s, "dimensions": %s, "nu": 0.3%s}]}'


class BadFiles(unittest.TestCase):
    CASES = [  # (file content, text the one-line message must contain)
        ('{"sections": [{"kind": "closed_form", "shape": "rectangle"}]}', 'sections[1]: missing key "dimensions"'),
        (RECTANGLE % '"dimensions": [1, "2"]', "sections[1].dimensions[2]: expected a number, found a string"),
        (RECTANGLE % '"dimensoins": [1, 2]', "sections[1].dimensoins: unknown key"),
        (MESH % ("steel", "[1,2,3]"), 'sections[1].parts[1].material: unknown material "steel"'),
        (MESH % ("s", "[1,2,4]"), "sections[1].parts[1].elements[1][3]: node 4 is out of range 1..3"),
        (MESH % ("s", "[1,2,3,1]"), "sections[1].parts[1].elements[1]: expected 3"),
        (MESH % ("s", "[1,3,2]"), "sections[1].parts[1].elements[1]: the corners are clockwise"),
        (RECTANGLE % '"dimensions": [1]', "a rectangle takes 2 dimensions"),
        ('{"sections": [{"kind": "cube"}]}', 'sections[1].kind: unknown kind "cube"'),
        ('{"materials": {"c": {"E": 1, "type": "concrete"}}, "sections": [{"kind": "reinforced", "loops": '
         '[{"material": "c", "points": [[0,0],[1,1],[1,0],[0,1]]}]}]}',
         "sections[1].loops[1].points: the loop crosses itself: edge 1-2 crosses edge 3-4"),
        (STANDARD % ('"teee"', "[1]", ""), 'sections[1].type: unknown standard type "teee"'),
        (STANDARD % (28, "[1]", ""), "sections[1].type: unknown standard type 28"),
        (STANDARD % (8, "[1, 2, 3]", ""),
         "sections[1].dimensions: a tee (type 8) takes 4 dimensions (flange_width, stem_length, flange, stem), found 3"),
        (STANDARD % (1, '[1, "2"]', ""), "sections[1].dimensions[2]: expected a number, found a string"),
        (STANDARD % (1, '{"height": 1, "widht": 2}', ""), "sections[1].dimensions.widht: unknown key"),
        (OUTLINE % '{"material": "c", "outline": [[0,0],[1,1],[1,0],[0,1]]}',
         "sections[1].polygons[1].outline: the loop crosses itself: side 1-2 crosses side 3-4"),
        (OUTLINE % (SQUARE + '}, {"material": "c", "outline": [[1,1],[5,1],[5,2],[1,2]]}'),
         "sections[1].polygons[2].outline: crosses polygons[1].outline"),
        (OUTLINE % (SQUARE + '}, {"material": "c", "outline": [[1,1],[2,1],[2,2],[1,2]]}'),
         "sections[1].polygons[1].outline: another polygon lies inside it outside its holes"),
        (OUTLINE % (SQUARE.replace('"c"', '"concrete"') + "}"),
         'sections[1].polygons[1].material: unknown material "concrete"'),
        (OUTLINE % (SQUARE + ', "hole": []}'), "sections[1].polygons[1].hole: unknown key"),
        ('{"sections": [{"kind": "first_moment", "about": [0, 0]}]}', 'give "polygons" (an outline the library meshes)'),
        (STANDARD % (8, "[9, 9, 1, 1]", ', "level": 2'),
         'sections[1].level: only a "meshed": true standard section takes a level'),
        ('{"sections": [', "not valid JSON"),
        ("", "file is empty"),
    ]

    def test_each_gives_one_line_naming_the_place(self):
        with tempfile.TemporaryDirectory() as d:
            for content, expected in self.CASES:
                path = write(d, "bad.json", content)
                r = run(path)
                with self.subTest(expected=expected):
                    self.assertEqual(r.returncode, 2, r.stderr)
                    self.assertEqual(r.stderr.count("\n"), 1, r.stderr)
                    self.assertTrue(r.stderr.startswith(f"bsp: {path}: "), r.stderr)
                    self.assertIn(expected, r.stderr)
            r = run(d)
            self.assertEqual((r.returncode, r.stderr.strip()), (2, f"bsp: {d}: is a directory, not a section file"))

    def test_readme_section_file_runs(self):
        text = re.search(r"```json\n(.*?)```", pathlib.Path(ROOT, "README.md").read_text(), re.S).group(1)
        with tempfile.TemporaryDirectory() as d:
            r = run("--json", write(d, "readme.json", text))
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertEqual(json.loads(r.stdout)[1]["values"]["stress_points.1.steel.normal"], 1000.0)  # N / A, A = 1

    def test_command_line(self):
        self.assertRegex(run("--version").stdout, r"^bsp \d+\.\d+\.\d+ \(library\)")
        self.assertIn("docs/section-file.md", run("--help").stdout)
        self.assertEqual(run("--level", "7", EXAMPLES[0]).returncode, 2)
        self.assertEqual(run("--bogus").returncode, 2)


class Reports(unittest.TestCase):
    def test_a_corrected_standard_dimension_is_reported_with_both_values(self):
        # A tee's stem (D4 150) wider than its flange (D1 100) shrinks to 0.99999 (single precision) of it.
        with tempfile.TemporaryDirectory() as d:
            r = run("--json", write(d, "t.json", STANDARD % ('"tee"', "[100, 200, 20, 150]", "")))
        self.assertEqual(r.returncode, 1)
        s = json.loads(r.stdout)[0]
        self.assertEqual((s["code"], s["values"]["dimension_status"], s["values"]["given_dimensions.stem"]), (-1, 2, 150))
        self.assertAlmostEqual(s["values"]["dimensions.stem"], 100 * 0.9999899864196777, delta=1e-9)  # single-precision factor
        self.assertIn("D4 (stem) corrected from 150 to 99.99899", s["message"])
        self.assertNotIn("area", s["values"])

    def test_csv_has_a_row_per_section_and_a_column_per_key(self):
        lines = run("--csv", EXAMPLES[0]).stdout.splitlines()
        self.assertEqual(len(lines), 4)
        self.assertTrue(lines[0].startswith("name,kind,code,message,torsion_constant"))

    @unittest.skipUnless(os.environ.get("BSP_LIBRARY"), "needs the library in this process")
    def test_each_example_report_equals_the_exports_called_directly(self):
        import bsp
        for path in EXAMPLES:
            report = json.loads(run("--json", path).stdout)
            direct = bsp.read_file(path)
            self.assertEqual(len(report), len(direct))
            for cli, py in zip(report, direct):
                self.assertEqual(cli["code"], 0)
                self.assertEqual(list(cli["values"]), list(py.to_dict()), path)
                for key, value in py.to_dict().items():
                    # The same calls; only hypot (principal moments) may round differently in libm and Python.
                    self.assertAlmostEqual(cli["values"][key], value, delta=1e-12 * max(1.0, abs(value)), msg=key)


@unittest.skipUnless(shutil.which("rsvg-convert"), "rsvg-convert (librsvg2-bin) is not installed")
class Pictures(unittest.TestCase):
    def test_pictures_render_and_are_not_blank(self):
        cases = [(EXAMPLES[0], []), (EXAMPLES[0], ["--section", "3"]), (EXAMPLES[1], []), (EXAMPLES[1], ["--section", "3"]),
                 (EXAMPLES[2], []), (EXAMPLES[2], ["--section", "4"])]
        cases += [(EXAMPLES[1], ["--field", f]) for f in ("warping", "torsion-stress", "shear-y", "shear-z", "von-mises")]
        with tempfile.TemporaryDirectory() as d:
            for path, extra in cases:
                svg, png = os.path.join(d, "s.svg"), os.path.join(d, "s.png")
                self.assertEqual(run(path, "--svg", svg, *extra).returncode, 0)
                # A quarter-size rendering keeps the pure-Python decoding quick.
                subprocess.run(["rsvg-convert", "-w", "320", svg, "-o", png], check=True, timeout=60)
                colours, ink = png_colours(png)
                with self.subTest(path=path, extra=extra):
                    self.assertGreater(colours, 20 if "--field" in extra else 5)
                    self.assertGreater(ink, 0.05)


class Batch(unittest.TestCase):
    def test_jobs_give_the_serial_lines_and_a_bad_line_does_not_stop_the_batch(self):
        doc = lambda d: json.dumps({"sections": [{"kind": "closed_form", "shape": "rectangle", "dimensions": [d, 2.0]}]})
        lines = [doc(1.0 + i) for i in range(200)]
        lines[7] = '{"sections": [{"kind": "closed_form"}]}'
        with tempfile.TemporaryDirectory() as d:
            path = write(d, "b.jsonl", "\n".join(lines) + "\n")
            one, two = run("batch", path, "--jobs", "1"), run("batch", path, "--jobs", "2")
            csv = run("batch", path, "--csv").stdout.splitlines()
        self.assertEqual(len(csv), 201)  # a header and a row per line, the failed one included
        self.assertEqual(one.returncode, 1)
        self.assertEqual(one.stdout, two.stdout)
        out = [json.loads(x) for x in one.stdout.splitlines()]
        self.assertEqual(len(out), 200)
        self.assertIn('b.jsonl:8: sections[1]: missing key "shape"', out[7]["message"])
        self.assertTrue(all(o["code"] == 0 for i, o in enumerate(out) if i != 7))


if __name__ == "__main__":
    unittest.main()
