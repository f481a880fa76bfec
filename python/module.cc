// The Python extension sulkor._sulkor: the value interface with Python names. Points are
// (x, y) tuples, x along the axis and y the radius; chains are lists of Element (or of points
// for a chain of lines). The package sulkor (sulkor/__init__.py) puts the keyword-friendly
// face on top.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <optional>
#include <string>
#include <utility>

#include "sulkor/error.h"
#include "sulkor/values.h"

namespace py = pybind11;

namespace sulkor {
namespace {

using PyPoint = std::pair<double, double>;

PyPoint ToPy(Point p) { return {p.x, p.y}; }
Point FromPy(const PyPoint& p) { return {p.first, p.second}; }

// A list of Element, or of (x, y) points joined by lines.
Chain ChainFrom(const py::handle& items) {
  Chain chain;
  std::vector<Point> points;
  for (const py::handle& item : py::iter(items)) {
    if (py::isinstance<Element>(item)) {
      chain.push_back(item.cast<Element>());
    } else {
      points.push_back(FromPy(item.cast<PyPoint>()));
    }
  }
  if (!chain.empty() && !points.empty()) {
    throw py::type_error("a chain is a list of Line and Arc elements or a list of points, not both");
  }
  return points.empty() ? chain : Polyline(points);
}

std::optional<Chain> OptionalChain(const py::object& items) {
  if (items.is_none()) return std::nullopt;
  return ChainFrom(items);
}

Units UnitsFrom(const std::string& name) {
  if (name == "mm") return Units::Millimetre;
  if (name == "in") return Units::Inch;
  throw py::value_error("units must be \"mm\" or \"in\", not \"" + name + "\"");
}

std::string UnitsName(Units units) { return units == Units::Inch ? "in" : "mm"; }

std::optional<GrooveKind> KindFrom(const std::optional<std::string>& name) {
  if (!name) return std::nullopt;
  for (GrooveKind kind : {GrooveKind::OutsideDiameter, GrooveKind::Bore, GrooveKind::FrontFace,
                          GrooveKind::BackFace}) {
    if (GrooveKindName(kind) == *name) return kind;
  }
  throw py::value_error("kind must be \"outside diameter\", \"bore\", \"front face\" or "
                        "\"back face\", not \"" + *name + "\"");
}

std::string MoveKindName(MoveKind kind) {
  return kind == MoveKind::Cutting ? "cutting" : "positioning";
}

std::string PhaseName(MovePhase phase) {
  switch (phase) {
    case MovePhase::Roughing: return "roughing";
    case MovePhase::Finishing: return "finishing";
    case MovePhase::Positioning: break;
  }
  return "positioning";
}

std::string ElementRepr(const Element& e) {
  const auto p = [](Point q) { return "(" + py::repr(py::float_(q.x)).cast<std::string>() + ", " +
                                      py::repr(py::float_(q.y)).cast<std::string>() + ")"; };
  if (e.kind == ElementKind::Arc) {
    return "Arc(" + p(e.start) + ", " + p(e.end) + ", " + p(e.center) + ", " +
           std::to_string(e.direction) + ")";
  }
  return "Line(" + p(e.start) + ", " + p(e.end) + ")";
}

py::list ChainToPy(const Chain& chain) {
  py::list list;
  for (const Element& e : chain) list.append(e);
  return list;
}

// The end points of the moves as an array of shape (moves + 1, 2): where the tool starts, then
// where each move ends.
py::array_t<double> MovePoints(const GrooveResult& result) {
  const size_t rows = result.moves.empty() ? 0 : result.moves.size() + 1;
  py::array_t<double> array({rows, size_t{2}});
  auto view = array.mutable_unchecked<2>();
  for (size_t i = 0; i < rows; ++i) {
    const Point p = i == 0 ? result.moves.front().element.start : result.moves[i - 1].element.end;
    view(static_cast<py::ssize_t>(i), 0) = p.x;
    view(static_cast<py::ssize_t>(i), 1) = p.y;
  }
  return array;
}

GrooveResult Run(const py::object& blank, const py::object& profile, const py::object& stock,
                 const std::string& units, const GroovingTool& tool,
                 const std::optional<std::string>& kind, const std::optional<PyPoint>& start,
                 const CuttingData& cutting) {
  GrooveRequest request;
  request.blank = ChainFrom(blank);
  request.profile = ChainFrom(profile);
  request.stock = OptionalChain(stock);
  request.units = UnitsFrom(units);
  request.tool = tool;
  request.kind = KindFrom(kind);
  if (start) request.start = StartPoint{start->first, start->second};
  request.cutting = cutting;
  py::gil_scoped_release unlocked;
  return RunGroove(request);
}

}  // namespace
}  // namespace sulkor

PYBIND11_MODULE(_sulkor, m) {
  using namespace sulkor;
  m.doc() = "Plunge-grooving tool paths for lathe CAM: the compiled core of the sulkor package.";
  py::register_exception<Error>(m, "Error", PyExc_RuntimeError);

  py::class_<Element>(m, "Element",
                      "One line or arc of a chain, in its direction of travel. Points are (x, y) "
                      "tuples: x along the axis of rotation, y the radius.")
      .def_property_readonly("kind", [](const Element& e) {
        return e.kind == ElementKind::Arc ? "arc" : "line";
      }, "\"line\" or \"arc\".")
      .def_property_readonly("start", [](const Element& e) { return ToPy(e.start); })
      .def_property_readonly("end", [](const Element& e) { return ToPy(e.end); })
      .def_property_readonly("center", [](const Element& e) { return ToPy(e.center); },
                             "An arc's centre; (0, 0) for a line.")
      .def_property_readonly("direction", [](const Element& e) { return e.direction; },
                             "An arc's turning: 1 counterclockwise, -1 clockwise.")
      .def("__eq__", [](const Element& a, const Element& b) { return a == b; })
      .def("__repr__", &ElementRepr);
  m.def("Line", [](const PyPoint& a, const PyPoint& b) { return Element::Line(FromPy(a), FromPy(b)); },
        py::arg("start"), py::arg("end"), "A line from start to end.");
  m.def("Arc",
        [](const PyPoint& a, const PyPoint& b, const PyPoint& c, int direction) {
          return Element::Arc(FromPy(a), FromPy(b), FromPy(c), direction);
        },
        py::arg("start"), py::arg("end"), py::arg("center"), py::arg("direction"),
        "An arc from start to end around center: direction 1 counterclockwise, -1 clockwise.");

  py::class_<GroovingTool>(m, "Tool", "The grooving insert: its width and corner radius, and its "
                                      "number in the tool table (the T word of the program).")
      .def(py::init([](double width, double cornerRadius, int32_t number) {
             return GroovingTool{width, cornerRadius, number};
           }),
           py::kw_only(), py::arg("width") = 3.0, py::arg("corner_radius") = 0.2,
           py::arg("number") = 1)
      .def_readwrite("width", &GroovingTool::width)
      .def_readwrite("corner_radius", &GroovingTool::cornerRadius)
      .def_readwrite("number", &GroovingTool::number)
      .def("__repr__", [](const GroovingTool& t) {
        return "Tool(width=" + py::repr(py::float_(t.width)).cast<std::string>() +
               ", corner_radius=" + py::repr(py::float_(t.cornerRadius)).cast<std::string>() +
               ", number=" + std::to_string(t.number) + ")";
      });

  py::class_<Move>(m, "Move", "One move of the tool's reference point: the centre of the "
                              "insert's corner radius on the low side of the cross axis.")
      .def_readonly("element", &Move::element, "The line or arc the tool travels.")
      .def_property_readonly("kind", [](const Move& mv) { return MoveKindName(mv.kind); },
                             "\"positioning\" or \"cutting\".")
      .def_property_readonly("phase", [](const Move& mv) { return PhaseName(mv.phase); },
                             "\"positioning\", \"roughing\" or \"finishing\".")
      .def_property_readonly("start", [](const Move& mv) { return ToPy(mv.element.start); })
      .def_property_readonly("end", [](const Move& mv) { return ToPy(mv.element.end); })
      .def("__eq__", [](const Move& a, const Move& b) { return a == b; })
      .def("__repr__", [](const Move& mv) {
        return "Move(" + MoveKindName(mv.kind) + ", " + PhaseName(mv.phase) + ", " +
               ElementRepr(mv.element) + ")";
      });

  py::class_<GrooveResult>(m, "GrooveResult", "The tool path of a groove with what it removes "
                                              "and leaves, and its figures.")
      .def_property_readonly("status", [](const GrooveResult& r) {
        return std::string(GrooveStatusName(r.status));
      }, "\"done\", \"refused\", \"failed\" or \"invalid request\".")
      .def_readonly("message", &GrooveResult::message)
      .def_readonly("detail", &GrooveResult::detail)
      .def_property_readonly("kind", [](const GrooveResult& r) {
        return std::string(GrooveKindName(r.kind));
      }, "\"outside diameter\", \"bore\", \"front face\" or \"back face\".")
      .def_property_readonly("units", [](const GrooveResult& r) { return UnitsName(r.units); })
      .def_readonly("moves", &GrooveResult::moves, "The moves in order, a list of Move.")
      .def_property_readonly("removed", [](const GrooveResult& r) { return ChainToPy(r.removed); },
                             "The outline of the material the groove removes.")
      .def_property_readonly("remaining",
                             [](const GrooveResult& r) { return ChainToPy(r.remaining); },
                             "The stock left after the groove.")
      .def_property_readonly("plunges", [](const GrooveResult& r) { return r.summary.plunges; })
      .def_property_readonly("pecks", [](const GrooveResult& r) { return r.summary.pecks; })
      .def_property_readonly("cutting_length",
                             [](const GrooveResult& r) { return r.summary.cuttingLength; })
      .def_property_readonly("rapid_length",
                             [](const GrooveResult& r) { return r.summary.rapidLength; })
      .def_property_readonly("cycle_time", [](const GrooveResult& r) -> std::optional<double> {
        if (!r.summary.timed) return std::nullopt;
        return r.summary.cycleMinutes;
      }, "Minutes, rapids at 10000 mm/min or 400 in/min; None when a feed is not above zero.")
      .def("points", &MovePoints,
           "The tool's positions as a NumPy array of shape (moves + 1, 2): the start of the "
           "first move, then the end of each move.")
      .def("gcode", [](const GrooveResult& r, const std::string& dialect) {
        return PostProgram(r, dialect);
      }, py::arg("dialect") = "linuxcnc", "The lathe program, \"linuxcnc\" or \"fanuc\".")
      .def("svg", [](const GrooveResult& r, int width) { return RenderPreview(r, "svg", width); },
           py::arg("width") = 1200, "The picture of the drawing after the run as SVG text.")
      .def("png", [](const GrooveResult& r, int width) {
        return py::bytes(RenderPreview(r, "png", width));
      }, py::arg("width") = 1200, "The picture as the bytes of a PNG file.")
      .def("pdf", [](const GrooveResult& r, int width) {
        return py::bytes(RenderPreview(r, "pdf", width));
      }, py::arg("width") = 1200, "The picture as the bytes of a PDF file, width in points.")
      .def_property_readonly("settings", [](const GrooveResult& r) {
        const GrooveSettings& s = r.settings;
        py::dict d;
        d["feed"] = s.feed;
        d["speed"] = s.speed;
        d["depth_per_pass"] = s.depthPerPass;
        d["finish_allowance"] = s.finishAllowance;
        d["finish_feed"] = s.finishFeed;
        d["finish_speed"] = s.finishSpeed;
        d["start"] = py::make_tuple(s.start.diameter, s.start.z);
        d["tool_number"] = s.toolNumber;
        return d;
      }, "The cutting data and start (diameter, z) the groove ran with, defaults filled in.")
      .def("dxf", &DrawingText, "The drawing after the run as DXF text.")
      .def("write_dxf", &WriteDrawing, py::arg("path"),
           "Writes the drawing after the run to a DXF file, whole or not at all.")
      .def("__repr__", [](const GrooveResult& r) {
        return "GrooveResult(" + std::string(GrooveStatusName(r.status)) + ", " +
               std::string(GrooveKindName(r.kind)) + ", " + std::to_string(r.moves.size()) +
               " moves)";
      });

  py::class_<PartDrawing>(m, "Drawing", "A part drawing: the blank, the finished profile and "
                                        "the stock an earlier operation left (or None).")
      .def_property_readonly("units", [](const PartDrawing& d) { return UnitsName(d.units); })
      .def_property_readonly("blank", [](const PartDrawing& d) { return ChainToPy(d.blank); })
      .def_property_readonly("profile", [](const PartDrawing& d) { return ChainToPy(d.profile); })
      .def_property_readonly("stock", [](const PartDrawing& d) -> py::object {
        if (!d.stock) return py::none();
        return ChainToPy(*d.stock);
      });
  m.def("read_dxf", &ReadDrawing, py::arg("path"),
        "Reads a DXF drawing: the blank (the one closed outline on a layer of its own), the "
        "profile (layer \"WorkContour\") and the stock (layer \"LastPartBlank\"). Raises "
        "sulkor.Error naming the file when it cannot be read or holds no part.");

  m.def("run_groove",
        [](const py::object& blank, const py::object& profile, const py::object& stock,
           const std::string& units, const GroovingTool& tool,
           const std::optional<std::string>& kind, const std::optional<PyPoint>& start,
           std::optional<double> feed, std::optional<double> speed,
           std::optional<double> depthPerPass, std::optional<double> finishAllowance,
           std::optional<double> finishFeed, std::optional<double> finishSpeed) {
          return Run(blank, profile, stock, units, tool, kind, start,
                     {feed, speed, depthPerPass, finishAllowance, finishFeed, finishSpeed});
        },
        py::arg("blank"), py::arg("profile"), py::arg("stock"), py::arg("units"),
        py::arg("tool"), py::arg("kind"), py::arg("start"), py::arg("feed"), py::arg("speed"),
        py::arg("depth_per_pass"), py::arg("finish_allowance"), py::arg("finish_feed"),
        py::arg("finish_speed"),
        "Runs one groove and answers its GrooveResult whatever its status; sulkor.groove "
        "raises for a groove that was not done. The interpreter lock is released while the "
        "groove is computed.");
}
