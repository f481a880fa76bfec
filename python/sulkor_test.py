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
INCH_TOOL = sulkor.Tool(width=0.118, corner_radius=0.008)


def example(name):
    return sulkor.read_dxf(os.path.join(EXAMPLES, name))


def signature(result):
    return [(m.kind, m.phase, m.element) for m in result.moves]


class GrooveTest(unittest.TestCase):
    def test_grooves_from_coordinates_and_drawings(self):
        # (arguments, units, kind, plunges, moves, cutting length); the drawings' figures are
        # those `sulkor groove --json` prints.
        cases = [
            (dict(blank=BAR, profile=GROOVE), "mm", "outside diameter", 3, None, None),
            (dict(blank=BAR, profile=GROOVE, kind="outside diameter", finish_allowance=0.1,
                  tool=sulkor.Tool(width=3, corner_radius=0.2)), "mm", "outside diameter", 4,
             None, None),
            (dict(blank=[sulkor.Line(a, b) for a, b in zip(BAR, BAR[1:])],
                  profile=[sulkor.Line((30, 28), (30, 20)), sulkor.Arc((30, 20), (40, 20), (35, 20), 1),
                           sulkor.Line((40, 20), (40, 28))]), "mm", "outside diameter", 2, None, None),
            (dict(blank=[(0, 10), (60, 10), (60, 30), (0, 30), (0, 10)],
                  profile=[(25, 7), (25, 14), (33, 14), (33, 7)], start=(10, 65)), "mm", "bore", 2,
             None, None),
            (dict(drawing="outside_groove.dxf"), "mm", "outside diameter", 3, 31, 40.420951),
            (dict(drawing="outside_groove_inch.dxf", tool=INCH_TOOL), "in", "outside diameter", 3,
             41, 1.818893),
            (dict(drawing="face_groove.dxf", start=(20, 60)), "mm", "front face", 2, 20, 21.764152),
            (dict(drawing="back_face_groove.dxf", start=(100, -10)), "mm", "back face", 2, 20,
             18.764152),
        ]
        for arguments, units, kind, plunges, moves, cutting in cases:
            with self.subTest(kind=kind, arguments=sorted(arguments)):
                if "drawing" in arguments:
                    arguments = dict(arguments, drawing=example(arguments["drawing"]))
                    self.assertEqual(arguments["drawing"].units, units)
                    self.assertIsNone(arguments["drawing"].stock)
                result = sulkor.groove(**arguments)
                self.assertEqual((result.status, result.units, result.kind, result.plunges),
                                 ("done", units, kind, plunges))
                self.assertEqual({m.phase for m in result.moves},
                                 {"positioning", "roughing", "finishing"})
                self.assertEqual({m.kind for m in result.moves}, {"positioning", "cutting"})
                points = result.points()
                self.assertEqual(points.shape, (len(result.moves) + 1, 2))
                numpy.testing.assert_array_equal(points[1], result.moves[0].end)
                self.assertGreater(min(len(result.removed), len(result.remaining)), 3)
                if moves is not None:
                    self.assertEqual(len(result.moves), moves)
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
            with self.subTest(message=message):
                with self.assertRaises(sulkor.GrooveError) as caught:
                    sulkor.groove(**dict(dict(blank=BAR, profile=GROOVE), **arguments))
                self.assertEqual((caught.exception.status, caught.exception.message,
                                  caught.exception.detail), (status, message, detail))
                self.assertIn(detail, str(caught.exception))
        for arguments, error in [(dict(units="cm"), ValueError), (dict(kind="thread"), ValueError),
                                 (dict(profile=[(0, 1), sulkor.Line((0, 1), (2, 3))]), TypeError)]:
            with self.subTest(arguments=arguments), self.assertRaises(error):
                sulkor.groove(**dict(dict(blank=BAR, profile=GROOVE), **arguments))
        with self.assertRaisesRegex(sulkor.Error, "no_such.dxf"):
            example("no_such.dxf")

    def test_gcode_and_pictures(self):
        result = sulkor.groove(blank=BAR, profile=GROOVE, feed=80, finish_feed=40,
                               tool=sulkor.Tool(number=3))
        # The programs' own blocks are the post's tests; here they come through the module.
        self.assertIn("\nT3 M6 G43\n", result.gcode("linuxcnc"))
        self.assertIn("F80.", result.gcode("fanuc"))
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
            dict(drawing=example("bore_groove.dxf"), start=(10, 65)),
            dict(drawing=example("face_groove.dxf"), start=(20, 60)),
            dict(drawing=example("outside_groove_inch.dxf"), tool=INCH_TOOL),
        ]
        alone = [signature(sulkor.groove(**r)) for r in requests]
        with concurrent.futures.ThreadPoolExecutor(max_workers=8) as pool:
            together = list(pool.map(lambda i: signature(sulkor.groove(**requests[i % 4])), range(32)))
        for i, moves in enumerate(together):
            self.assertEqual(moves, alone[i % 4], f"job {i}")


if __name__ == "__main__":
    unittest.main()
