"""The Python package on coordinates and on the example drawings: results, refusals as
exceptions, the lathe program, pictures, and grooves on eight threads at once."""
import concurrent.futures
import os
import unittest

import numpy

import sulkor

EXAMPLES = os.path.join(os.environ.get("SULKOR_SOURCE_DIR", ".."), "examples")
BAR = [(0, 0), (80, 0), (80, 25), (0, 25), (0, 0)]
GROOVE = [(30, 28), (30, 20), (40, 20), (40, 28)]


def example(name):
    return os.path.join(EXAMPLES, name)


def signature(result):
    return [(m.kind, m.phase, m.element) for m in result.moves]


class GrooveTest(unittest.TestCase):
    def test_groove_from_coordinates(self):
        cases = [
            # (keyword arguments, kind, plunges)
            (dict(blank=BAR, profile=GROOVE), "outside diameter", 3),
            (dict(blank=BAR, profile=GROOVE, kind="outside diameter", finish_allowance=0.1,
                  tool=sulkor.Tool(width=3, corner_radius=0.2)), "outside diameter", 4),
            (dict(blank=[sulkor.Line(a, b) for a, b in zip(BAR, BAR[1:])],
                  profile=[sulkor.Line((30, 28), (30, 20)),
                           sulkor.Arc((30, 20), (40, 20), (35, 20), 1),
                           sulkor.Line((40, 20), (40, 28))]), "outside diameter", 2),
            (dict(blank=[(0, 10), (60, 10), (60, 30), (0, 30), (0, 10)],
                  profile=[(25, 7), (25, 14), (33, 14), (33, 7)], start=(10, 65)), "bore", 2),
        ]
        for arguments, kind, plunges in cases:
            with self.subTest(kind=kind, arguments=sorted(arguments)):
                result = sulkor.groove(**arguments)
                self.assertEqual(result.status, "done")
                self.assertEqual(result.kind, kind)
                self.assertEqual(result.plunges, plunges)
                self.assertEqual({m.phase for m in result.moves},
                                 {"positioning", "roughing", "finishing"})
                self.assertEqual({m.kind for m in result.moves}, {"positioning", "cutting"})
                points = result.points()
                self.assertEqual(points.shape, (len(result.moves) + 1, 2))
                numpy.testing.assert_array_equal(points[1], result.moves[0].end)
                self.assertGreater(len(result.removed), 3)
                self.assertGreater(len(result.remaining), 3)

    def test_groove_from_a_drawing(self):
        # The figures `sulkor groove --json` prints for the same drawings.
        cases = [
            ("outside_groove.dxf", {}, "mm", "outside diameter", 31, 40.420951),
            ("outside_groove_inch.dxf", dict(tool=sulkor.Tool(width=0.118, corner_radius=0.008)),
             "in", "outside diameter", 41, 1.818893),
            ("face_groove.dxf", dict(start=(20, 60)), "mm", "front face", 20, 21.764152),
            ("back_face_groove.dxf", dict(start=(100, -10)), "mm", "back face", 20, 18.764152),
        ]
        for name, arguments, units, kind, moves, cutting in cases:
            with self.subTest(name=name):
                drawing = sulkor.read_dxf(example(name))
                self.assertEqual(drawing.units, units)
                self.assertIsNone(drawing.stock)
                result = sulkor.groove(drawing=drawing, **arguments)
                self.assertEqual((result.units, result.kind, len(result.moves)),
                                 (units, kind, moves))
                self.assertAlmostEqual(result.cutting_length, cutting, places=6)

    def test_refusals_are_exceptions_with_their_reason(self):
        cases = [
            (dict(tool=sulkor.Tool(width=12)), "refused",
             "Sulkor function cannot be performed.: Groove-Turn operation can not be performed "
             "for selected work area",
             "insert 12.000 wide, groove 10.000 wide at its narrowest (x 35.000)"),
            (dict(profile=[]), "invalid request", "the profile has no elements", ""),
            (dict(blank=BAR[:-1]), "invalid request", "the blank is not closed", ""),
        ]
        for arguments, status, message, detail in cases:
            with self.subTest(status=status, message=message):
                request = dict(blank=BAR, profile=GROOVE)
                request.update(arguments)
                with self.assertRaises(sulkor.GrooveError) as caught:
                    sulkor.groove(**request)
                self.assertEqual(caught.exception.status, status)
                self.assertEqual(caught.exception.message, message)
                self.assertEqual(caught.exception.detail, detail)
                self.assertIn(detail, str(caught.exception))
        bad_arguments = [
            (dict(units="cm"), ValueError), (dict(kind="thread"), ValueError),
            (dict(profile=[(0, 1), sulkor.Line((0, 1), (2, 3))]), TypeError),
        ]
        for arguments, error in bad_arguments:
            with self.subTest(arguments=arguments):
                with self.assertRaises(error):
                    sulkor.groove(blank=BAR, profile=GROOVE, **arguments)
        with self.assertRaisesRegex(sulkor.Error, "no_such.dxf"):
            sulkor.read_dxf(example("no_such.dxf"))

    def test_gcode_and_pictures(self):
        result = sulkor.groove(blank=BAR, profile=GROOVE, feed=80, finish_feed=40,
                               tool=sulkor.Tool(number=3))
        cases = [
            ("linuxcnc", "(Sulkor groove: tool 3, rear tool post, mm)\n", "M5\nM2\n"),
            ("fanuc", "%\nO0001", "M05\nM30\n%\n"),
        ]
        for dialect, head, tail in cases:
            with self.subTest(dialect=dialect):
                program = result.gcode(dialect)
                self.assertTrue(program.startswith(head), program[:120])
                self.assertTrue(program.endswith(tail), program[-40:])
                self.assertIn("F80", program.replace("F80.", "F80"))
                if dialect == "linuxcnc":
                    self.assertIn("\nG18 G21 G7 G90 G94 G40 G49\nT3 M6 G43\n", program)
        self.assertIn("<svg", result.svg(width=400))
        self.assertTrue(result.png(width=300).startswith(b"\x89PNG"))
        self.assertTrue(result.pdf(width=300).startswith(b"%PDF"))
        self.assertEqual((result.settings["feed"], result.settings["finish_feed"],
                          result.settings["tool_number"]), (80, 40, 3))
        self.assertIn("RemovedMaterial", result.dxf())
        with self.assertRaises(sulkor.Error):
            result.gcode("heidenhain")

    def test_eight_threads_give_what_one_thread_gives(self):
        requests = [
            dict(blank=BAR, profile=GROOVE),
            dict(drawing=sulkor.read_dxf(example("bore_groove.dxf")), start=(10, 65)),
            dict(drawing=sulkor.read_dxf(example("face_groove.dxf")), start=(20, 60)),
            dict(drawing=sulkor.read_dxf(example("outside_groove_inch.dxf")),
                 tool=sulkor.Tool(width=0.118, corner_radius=0.008)),
        ]
        alone = [signature(sulkor.groove(**r)) for r in requests]
        jobs = [requests[i % len(requests)] for i in range(32)]
        with concurrent.futures.ThreadPoolExecutor(max_workers=8) as pool:
            together = list(pool.map(lambda r: signature(sulkor.groove(**r)), jobs))
        for i, moves in enumerate(together):
            self.assertEqual(moves, alone[i % len(requests)], f"job {i}")


if __name__ == "__main__":
    unittest.main()
