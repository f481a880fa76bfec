#include "host/dxf/dxf_writer.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <string_view>
#include <vector>

namespace sulkor::host {
namespace {

constexpr double kDegToRad = 3.14159265358979323846 / 180.0;

// ANSI36 (brick, slate and fireclay): one family of lines at 45 degrees, 3.175 apart with a
// shift of 5.5 along the line, dashed 7.9375 on, 1.5875 off, a dot, 1.5875 off.
constexpr double kAnsi36Angle = 45.0;
constexpr double kAnsi36Shift = 5.5;
constexpr double kAnsi36Spacing = 3.175;
constexpr double kAnsi36Dashes[] = {7.9375, -1.5875, 0.0, -1.5875};

std::string Number(double v) {
  if (v == 0.0) v = 0.0;  // no "-0"
  char buffer[64];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, v);
  std::string s(buffer, ec == std::errc() ? end : buffer);
  if (s.find_first_of(".e") == std::string::npos) s += ".0";
  return s;
}

std::string Hex(unsigned value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%X", value);
  return buffer;
}

class Writer {
 public:
  explicit Writer(const DxfDocument& doc) : doc_(doc) {}

  std::string Write() {
    // Handles are fixed before anything is written, since objects refer forward and back.
    for (std::size_t i = 0; i < doc_.layers.size(); ++i) layerHandles_.push_back(New());
    for (std::size_t i = 0; i < doc_.entities.size(); ++i) entityHandles_.push_back(New());
    for (std::size_t i = 0; i < doc_.groups.size(); ++i) groupHandles_.push_back(New());
    groupOf_.assign(doc_.entities.size(), std::string());
    for (std::size_t g = 0; g < doc_.groups.size(); ++g) {
      for (std::size_t i : doc_.groups[g].memberIndices) groupOf_[i] = groupHandles_[g];
    }
    Header();
    Section("CLASSES");
    EndSection();
    Tables();
    Blocks();
    Entities();
    Objects();
    Pair(0, "EOF");
    return std::move(out_);
  }

 private:
  std::string New() { return Hex(next_++); }

  void Pair(int code, std::string_view value) {
    out_ += std::to_string(code);
    out_ += '\n';
    out_ += value;
    out_ += '\n';
  }
  void Pair(int code, double value) { Pair(code, Number(value)); }
  void Int(int code, long value) { Pair(code, std::to_string(value)); }
  void Section(std::string_view name) {
    Pair(0, "SECTION");
    Pair(2, name);
  }
  void EndSection() { Pair(0, "ENDSEC"); }

  void Header() {
    Section("HEADER");
    Pair(9, "$ACADVER");
    Pair(1, "AC1024");
    Pair(9, "$DWGCODEPAGE");
    Pair(3, "ANSI_1252");
    Pair(9, "$INSUNITS");
    Int(70, doc_.insUnits);
    Pair(9, "$MEASUREMENT");
    Int(70, doc_.insUnits == 1 ? 0 : 1);
    Pair(9, "$HANDSEED");
    Pair(5, Hex(next_ + kTableHandles));
    EndSection();
  }

  void TableStart(std::string_view name, const std::string& handle, int count) {
    Pair(0, "TABLE");
    Pair(2, name);
    Pair(5, handle);
    Pair(330, "0");
    Pair(100, "AcDbSymbolTable");
    Int(70, count);
  }
  void Record(std::string_view type, const std::string& handle, const std::string& table,
              std::string_view subclass) {
    Pair(0, type);
    Pair(type == "DIMSTYLE" ? 105 : 5, handle);
    Pair(330, table);
    Pair(100, "AcDbSymbolTableRecord");
    Pair(100, subclass);
  }

  void Tables() {
    Section("TABLES");
    const std::string vport = New(), vportActive = New();
    TableStart("VPORT", vport, 1);
    Record("VPORT", vportActive, vport, "AcDbViewportTableRecord");
    Pair(2, "*Active");
    Int(70, 0);
    Pair(10, 0.0);
    Pair(20, 0.0);
    Pair(11, 1.0);
    Pair(21, 1.0);
    Pair(12, 0.0);
    Pair(22, 0.0);
    Pair(40, 100.0);
    Pair(41, 1.5);
    Pair(0, "ENDTAB");

    const std::string ltype = New();
    TableStart("LTYPE", ltype, 3);
    for (std::string_view name : {"ByBlock", "ByLayer", "Continuous"}) {
      Record("LTYPE", name == "Continuous" ? continuous_ : New(), ltype,
             "AcDbLinetypeTableRecord");
      Pair(2, name);
      Int(70, 0);
      Pair(3, name == "Continuous" ? "Solid line" : "");
      Int(72, 65);
      Int(73, 0);
      Pair(40, 0.0);
    }
    Pair(0, "ENDTAB");

    const std::string layer = New();
    TableStart("LAYER", layer, static_cast<int>(doc_.layers.size()));
    for (std::size_t i = 0; i < doc_.layers.size(); ++i) {
      Record("LAYER", layerHandles_[i], layer, "AcDbLayerTableRecord");
      Pair(2, doc_.layers[i]);
      Int(70, 0);
      const auto color = doc_.layerColors.find(doc_.layers[i]);
      Int(62, color == doc_.layerColors.end() ? 7 : color->second);
      Pair(6, "Continuous");
      Int(370, -3);
      Pair(390, plotStyle_);
    }
    Pair(0, "ENDTAB");

    const std::string style = New();
    TableStart("STYLE", style, 1);
    Record("STYLE", New(), style, "AcDbTextStyleTableRecord");
    Pair(2, "Standard");
    Int(70, 0);
    Pair(40, 0.0);
    Pair(41, 1.0);
    Pair(50, 0.0);
    Int(71, 0);
    Pair(42, 2.5);
    Pair(3, "txt");
    Pair(4, "");
    Pair(0, "ENDTAB");

    TableStart("VIEW", New(), 0);
    Pair(0, "ENDTAB");
    TableStart("UCS", New(), 0);
    Pair(0, "ENDTAB");

    const std::string appid = New();
    TableStart("APPID", appid, 1);
    Record("APPID", New(), appid, "AcDbRegAppTableRecord");
    Pair(2, "ACAD");
    Int(70, 0);
    Pair(0, "ENDTAB");

    const std::string dimstyle = New();
    TableStart("DIMSTYLE", dimstyle, 1);
    Pair(100, "AcDbDimStyleTable");
    Int(71, 0);
    Record("DIMSTYLE", New(), dimstyle, "AcDbDimStyleTableRecord");
    Pair(2, "Standard");
    Int(70, 0);
    Pair(0, "ENDTAB");

    TableStart("BLOCK_RECORD", blockRecords_, 2);
    Record("BLOCK_RECORD", modelSpace_, blockRecords_, "AcDbBlockTableRecord");
    Pair(2, "*Model_Space");
    Pair(340, modelLayout_);
    Int(70, 0);
    Int(280, 1);
    Int(281, 0);
    Record("BLOCK_RECORD", paperSpace_, blockRecords_, "AcDbBlockTableRecord");
    Pair(2, "*Paper_Space");
    Pair(340, paperLayout_);
    Int(70, 0);
    Int(280, 1);
    Int(281, 0);
    Pair(0, "ENDTAB");
    EndSection();
  }

  void Block(std::string_view name, const std::string& record, bool paper) {
    Pair(0, "BLOCK");
    Pair(5, New());
    Pair(330, record);
    Pair(100, "AcDbEntity");
    if (paper) Int(67, 1);
    Pair(8, "0");
    Pair(100, "AcDbBlockBegin");
    Pair(2, name);
    Int(70, 0);
    Pair(10, 0.0);
    Pair(20, 0.0);
    Pair(30, 0.0);
    Pair(3, name);
    Pair(1, "");
    Pair(0, "ENDBLK");
    Pair(5, New());
    Pair(330, record);
    Pair(100, "AcDbEntity");
    if (paper) Int(67, 1);
    Pair(8, "0");
    Pair(100, "AcDbBlockEnd");
  }

  void Blocks() {
    Section("BLOCKS");
    Block("*Model_Space", modelSpace_, false);
    Block("*Paper_Space", paperSpace_, true);
    EndSection();
  }

  void EntityStart(std::string_view type, std::size_t i) {
    const DxfEntity& e = doc_.entities[i];
    Pair(0, type);
    Pair(5, entityHandles_[i]);
    if (!groupOf_[i].empty()) {
      Pair(102, "{ACAD_REACTORS");
      Pair(330, groupOf_[i]);
      Pair(102, "}");
    }
    Pair(330, modelSpace_);
    Pair(100, "AcDbEntity");
    Pair(8, e.layer);
    if (e.colorIndex >= 0 && e.colorIndex <= 256) Int(62, e.colorIndex);
    if (e.trueColor >= 0) Int(420, e.trueColor);
  }

  void Entities() {
    Section("ENTITIES");
    for (std::size_t i = 0; i < doc_.entities.size(); ++i) {
      const DxfEntity& e = doc_.entities[i];
      switch (e.type) {
        case DxfType::Line:
          EntityStart("LINE", i);
          Pair(100, "AcDbLine");
          Pair(10, e.x1);
          Pair(20, e.y1);
          Pair(30, e.z);
          Pair(11, e.x2);
          Pair(21, e.y2);
          Pair(31, e.z);
          break;
        case DxfType::Arc:
        case DxfType::Circle:
          EntityStart(e.type == DxfType::Arc ? "ARC" : "CIRCLE", i);
          Pair(100, "AcDbCircle");
          Pair(10, e.x1);
          Pair(20, e.y1);
          Pair(30, e.z);
          Pair(40, e.radius);
          if (e.type == DxfType::Arc) {
            Pair(100, "AcDbArc");
            Pair(50, e.startAngle);
            Pair(51, e.endAngle);
          }
          break;
        case DxfType::Polyline:
          EntityStart("LWPOLYLINE", i);
          Pair(100, "AcDbPolyline");
          Int(90, static_cast<long>(e.vertices.size()));
          Int(70, e.closed ? 1 : 0);
          Pair(43, 0.0);
          if (e.z != 0.0) Pair(38, e.z);
          for (const DxfVertex& v : e.vertices) {
            Pair(10, v.x);
            Pair(20, v.y);
            if (v.bulge != 0.0) Pair(42, v.bulge);
          }
          break;
        case DxfType::Hatch: Hatch(i); break;
        case DxfType::Insert:
        case DxfType::Unsupported: break;
      }
    }
    EndSection();
  }

  void Hatch(std::size_t i) {
    const DxfEntity& e = doc_.entities[i];
    EntityStart("HATCH", i);
    Pair(100, "AcDbHatch");
    Pair(10, 0.0);
    Pair(20, 0.0);
    Pair(30, e.z);
    Pair(210, 0.0);
    Pair(220, 0.0);
    Pair(230, 1.0);
    Pair(2, e.solid ? "SOLID" : e.pattern);
    Int(70, e.solid ? 1 : 0);
    Int(71, 0);
    Int(91, static_cast<long>(e.loops.size()));
    for (const DxfHatchLoop& loop : e.loops) {
      Int(92, 3);  // external, polyline
      Int(72, 1);
      Int(73, 1);
      Int(93, static_cast<long>(loop.vertices.size()));
      for (const DxfVertex& v : loop.vertices) {
        Pair(10, v.x);
        Pair(20, v.y);
        Pair(42, v.bulge);
      }
      Int(97, 0);
    }
    Int(75, 1);
    Int(76, 1);
    if (!e.solid) {
      const double s = e.patternScale;
      const double a = (kAnsi36Angle + e.patternAngle) * kDegToRad;
      Pair(52, e.patternAngle);
      Pair(41, s);
      Int(77, 0);
      Int(78, 1);
      Pair(53, kAnsi36Angle + e.patternAngle);
      Pair(43, 0.0);
      Pair(44, 0.0);
      // The offset from one line to the next, turned with the lines and scaled.
      Pair(45, s * (kAnsi36Shift * std::cos(a) - kAnsi36Spacing * std::sin(a)));
      Pair(46, s * (kAnsi36Shift * std::sin(a) + kAnsi36Spacing * std::cos(a)));
      Int(79, 4);
      for (double d : kAnsi36Dashes) Pair(49, s * d);
    }
    Int(98, 0);
  }

  void Objects() {
    Section("OBJECTS");
    Pair(0, "DICTIONARY");
    Pair(5, root_);
    Pair(330, "0");
    Pair(100, "AcDbDictionary");
    Int(281, 1);
    Pair(3, "ACAD_GROUP");
    Pair(350, groupDictionary_);
    Pair(3, "ACAD_LAYOUT");
    Pair(350, layoutDictionary_);
    Pair(3, "ACAD_PLOTSTYLENAME");
    Pair(350, plotStyleDictionary_);

    Pair(0, "DICTIONARY");
    Pair(5, groupDictionary_);
    Pair(330, root_);
    Pair(100, "AcDbDictionary");
    Int(281, 1);
    for (std::size_t g = 0; g < doc_.groups.size(); ++g) {
      Pair(3, doc_.groups[g].name);
      Pair(350, groupHandles_[g]);
    }

    Pair(0, "DICTIONARY");
    Pair(5, layoutDictionary_);
    Pair(330, root_);
    Pair(100, "AcDbDictionary");
    Int(281, 1);
    Pair(3, "Layout1");
    Pair(350, paperLayout_);
    Pair(3, "Model");
    Pair(350, modelLayout_);

    Pair(0, "ACDBDICTIONARYWDFLT");
    Pair(5, plotStyleDictionary_);
    Pair(330, root_);
    Pair(100, "AcDbDictionary");
    Int(281, 1);
    Pair(3, "Normal");
    Pair(350, plotStyle_);
    Pair(100, "AcDbDictionaryWithDefault");
    Pair(340, plotStyle_);

    Pair(0, "ACDBPLACEHOLDER");
    Pair(5, plotStyle_);
    Pair(330, plotStyleDictionary_);

    for (std::size_t g = 0; g < doc_.groups.size(); ++g) {
      Pair(0, "GROUP");
      Pair(5, groupHandles_[g]);
      Pair(102, "{ACAD_REACTORS");
      Pair(330, groupDictionary_);
      Pair(102, "}");
      Pair(330, groupDictionary_);
      Pair(100, "AcDbGroup");
      Pair(300, doc_.groups[g].name);
      Int(70, 0);
      Int(71, 1);
      for (std::size_t i : doc_.groups[g].memberIndices) Pair(340, entityHandles_[i]);
    }

    Layout("Model", modelLayout_, modelSpace_, 0);
    Layout("Layout1", paperLayout_, paperSpace_, 1);
    EndSection();
  }

  void Layout(std::string_view name, const std::string& handle, const std::string& record,
              int order) {
    Pair(0, "LAYOUT");
    Pair(5, handle);
    Pair(330, layoutDictionary_);
    Pair(100, "AcDbPlotSettings");
    Pair(1, "");
    Pair(4, "A3");
    Pair(6, "");
    Pair(40, 7.5);
    Pair(41, 20.0);
    Pair(42, 7.5);
    Pair(43, 20.0);
    Pair(44, 420.0);
    Pair(45, 297.0);
    Pair(46, 0.0);
    Pair(47, 0.0);
    Pair(48, 0.0);
    Pair(49, 0.0);
    Pair(140, 0.0);
    Pair(141, 0.0);
    Pair(142, 1.0);
    Pair(143, 1.0);
    Int(70, order == 0 ? 1024 : 0);
    Int(72, 1);
    Int(73, 0);
    Int(74, 5);
    Pair(7, "");
    Int(75, 16);
    Int(76, 0);
    Int(77, 2);
    Int(78, 300);
    Pair(147, 1.0);
    Pair(148, 0.0);
    Pair(149, 0.0);
    Pair(100, "AcDbLayout");
    Pair(1, name);
    Int(70, 1);
    Int(71, order);
    Pair(10, 0.0);
    Pair(20, 0.0);
    Pair(11, 420.0);
    Pair(21, 297.0);
    Pair(12, 0.0);
    Pair(22, 0.0);
    Pair(32, 0.0);
    Pair(14, 0.0);
    Pair(24, 0.0);
    Pair(34, 0.0);
    Pair(15, 0.0);
    Pair(25, 0.0);
    Pair(35, 0.0);
    Pair(146, 0.0);
    Pair(13, 0.0);
    Pair(23, 0.0);
    Pair(33, 0.0);
    Pair(16, 1.0);
    Pair(26, 0.0);
    Pair(36, 0.0);
    Pair(17, 0.0);
    Pair(27, 1.0);
    Pair(37, 0.0);
    Int(76, 0);
    Pair(330, record);
  }

  static constexpr unsigned kFirstHandle = 0x20;
  // The tables and blocks take fewer handles than this after the entities and groups.
  static constexpr unsigned kTableHandles = 64;

  const DxfDocument& doc_;
  std::string out_;
  unsigned next_ = kFirstHandle;
  const std::string root_ = "1", groupDictionary_ = "2", layoutDictionary_ = "3",
                    plotStyleDictionary_ = "4", plotStyle_ = "5", modelSpace_ = "6",
                    paperSpace_ = "7", modelLayout_ = "8", paperLayout_ = "9",
                    blockRecords_ = "A", continuous_ = "B";
  std::vector<std::string> layerHandles_, entityHandles_, groupHandles_, groupOf_;
};

}  // namespace

std::string WriteDxf(const DxfDocument& doc) { return Writer(doc).Write(); }

}  // namespace sulkor::host
