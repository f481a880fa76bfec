"""Plunge-grooving tool paths for lathe CAM.

Points are (x, y) tuples in drawing units: x along the axis of rotation, y the radius. A chain
(blank, profile, stock) is a list of points joined by lines, or a list of sulkor.Line and
sulkor.Arc elements. Independent grooves may be computed on several threads at once: each call
builds its own host and shares nothing.

    import sulkor
    result = sulkor.groove(blank=[(0, 0), (80, 0), (80, 25), (0, 25), (0, 0)],
                           profile=[(30, 28), (30, 20), (40, 20), (40, 28)],
                           tool=sulkor.Tool(width=3, corner_radius=0.2), finish_allowance=0.1)
    print(result.kind, result.plunges, result.cycle_time)
    program = result.gcode("linuxcnc")
"""
from ._sulkor import (Arc, Drawing, Element, Error, GrooveResult, Line, Move, Tool, read_dxf,
                      run_groove)

__all__ = ["Arc", "Drawing", "Element", "Error", "GrooveError", "GrooveResult", "Line", "Move",
           "Tool", "groove", "read_dxf"]


class GrooveError(Error):
    """A groove that was not computed: the operation refused it, failed, or the request was
    malformed. `status` is "refused", "failed" or "invalid request"; `message` is what the
    operation said and `detail` the reason with its numbers (empty where it gives none)."""

    def __init__(self, status, message, detail):
        super().__init__(f"{message}\n{detail}" if detail else message or status)
        self.status = status
        self.message = message
        self.detail = detail


def groove(blank=None, profile=None, *, drawing=None, stock=None, units=None, tool=None,
           kind=None, start=None, feed=None, speed=None, depth_per_pass=None,
           finish_allowance=None, finish_feed=None, finish_speed=None):
    """Computes one plunge-grooving operation and answers its GrooveResult.

    blank, profile: the closed stock outline and the open finished profile, or drawing: a
    sulkor.Drawing from read_dxf (its blank, profile, stock and units; the arguments given win).
    stock: the closed stock an earlier operation left, to start from instead of the blank.
    units: "mm" (the default) or "in". tool: a sulkor.Tool (default width 3, corner radius 0.2).
    kind: "outside diameter", "bore", "front face" or "back face"; None finds it from the
    profile. start: (diameter, z) where the tool starts and ends; None: one unit outside the
    blank. The cutting data left None take the operation's defaults for the units: feed and
    finish_feed (units per minute), speed and finish_speed (rpm), depth_per_pass (one peck),
    finish_allowance (left for the finishing pass).

    Raises GrooveError (with status, message and detail) when no tool path was computed.
    """
    if drawing is not None:
        blank = drawing.blank if blank is None else blank
        profile = drawing.profile if profile is None else profile
        stock = drawing.stock if stock is None else stock
        units = drawing.units if units is None else units
    if blank is None or profile is None:
        raise TypeError("groove() needs a blank and a profile, or a drawing")
    result = run_groove(blank, profile, stock, units or "mm", tool or Tool(), kind, start,
                        feed, speed, depth_per_pass, finish_allowance, finish_feed, finish_speed)
    if result.status != "done":
        raise GrooveError(result.status, result.message, result.detail)
    return result
