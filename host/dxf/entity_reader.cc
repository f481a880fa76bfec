#include "host/dxf/entity_reader.h"

#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "host/dxf/dxf_error.h"
#include "host/dxf/group_reader.h"

namespace sulkor::host {
namespace {

constexpr double kDegToRad = 3.14159265358979323846 / 180.0;

// The pairs of one entity or object, after its "0 TYPE" pair.
struct Record {
  std::string type;
  int line = 0;
  std::vector<const GroupPair*> pairs;
};

class Reader {
 public:
  Reader(std::string_view text, std::string_view file) : in_(text, file) {}

  DxfDocument Read() {
    if (in_.AtEnd()) ThrowDxfError(in_.File(), 0, "the file is empty");
    bool sawEof = false;
    while (!in_.AtEnd()) {
      const GroupPair& p = in_.Take();
      if (p.code != 0) in_.Fail(p, "expected group code 0, found " + std::to_string(p.code));
      if (p.value == "EOF") {
        sawEof = true;
        break;
      }
      if (p.value != "SECTION") in_.Fail(p, "expected SECTION, found '" + p.value + "'");
      const GroupPair& name = in_.Take();
      if (name.code != 2) in_.Fail(name, "a SECTION without its name (group code 2)");
      Section(name.value);
    }
    if (!sawEof) ThrowDxfError(in_.File(), in_.Line(), "the file ends without EOF");
    NameGroups();
    return std::move(doc_);
  }

 private:
  // The next record up to the following "0" pair; the "0 TYPE" pair itself is taken.
  Record NextRecord() {
    const GroupPair& head = in_.Take();
    if (head.code != 0) in_.Fail(head, "expected group code 0, found " + std::to_string(head.code));
    Record r{head.value, head.line, {}};
    while (in_.Peek().code != 0) r.pairs.push_back(&in_.Take());
    return r;
  }

  void Section(const std::string& name) {
    const bool known = name == "HEADER" || name == "TABLES" || name == "BLOCKS" ||
                       name == "ENTITIES" || name == "OBJECTS";
    std::vector<DxfEntity>* target = &doc_.entities;
    for (;;) {
      const GroupPair& peek = in_.Peek();
      if (peek.code == 0 && peek.value == "ENDSEC") {
        in_.Take();
        return;
      }
      if (peek.code == 0 && (peek.value == "EOF" || peek.value == "SECTION")) {
        in_.Fail(peek, "section " + name + " ends without ENDSEC");
      }
      if (!known) {  // THUMBNAILIMAGE, ACDSDATA, CLASSES, ...: their pairs are passed over
        in_.Take();
        continue;
      }
      if (name == "HEADER") {
        Header();
        continue;
      }
      Record r = NextRecord();
      if (name == "TABLES" && r.type == "LAYER") {
        for (const GroupPair* p : r.pairs) {
          if (p->code == 2) doc_.layers.push_back(p->value);
        }
      } else if (name == "BLOCKS" && r.type == "BLOCK") {
        target = Block(r);
      } else if (name == "BLOCKS" && r.type == "ENDBLK") {
        target = &doc_.entities;
      } else if (name == "ENTITIES" || (name == "BLOCKS" && target != &doc_.entities)) {
        Entity(r, *target);
      } else if (name == "OBJECTS") {
        Object(r);
      }
    }
  }

  // A block definition: its name and base point; the entities up to ENDBLK go into it.
  std::vector<DxfEntity>* Block(const Record& r) {
    std::string name;
    DxfBlock block;
    for (const GroupPair* p : r.pairs) {
      if (p->code == 2) name = p->value;
      if (p->code == 10) block.baseX = in_.Number(*p);
      if (p->code == 20) block.baseY = in_.Number(*p);
    }
    DxfBlock& stored = doc_.blocks[name];
    stored = std::move(block);
    return &stored.entities;
  }

  void Header() {
    const GroupPair& var = in_.Take();
    if (var.code != 9) {
      while (in_.Peek().code != 9 && in_.Peek().code != 0) in_.Take();
      return;
    }
    while (in_.Peek().code != 9 && in_.Peek().code != 0) {
      const GroupPair& v = in_.Take();
      if (var.value == "$INSUNITS" && v.code == 70) doc_.insUnits = in_.Integer(v);
      if (var.value == "$ACADVER" && v.code == 1) doc_.version = v.value;
    }
  }

  void Common(DxfEntity& e, const GroupPair& p) {
    switch (p.code) {
      case 5: e.handle = p.value; break;
      case 210: e.extrusionX = in_.Number(p); break;
      case 220: e.extrusionY = in_.Number(p); break;
      case 230: e.extrusionZ = in_.Number(p); break;
      case 8: e.layer = p.value; break;
      case 62: e.colorIndex = in_.Integer(p); break;
      case 420: e.trueColor = in_.Integer(p) & 0xFFFFFF; break;
      default: break;
    }
  }

  void Entity(const Record& r, std::vector<DxfEntity>& target) {
    DxfEntity e;
    e.line = r.line;
    e.typeName = r.type;
    if (r.type == "LINE") {
      e.type = DxfType::Line;
      for (const GroupPair* p : r.pairs) {
        Common(e, *p);
        switch (p->code) {
          case 10: e.x1 = in_.Number(*p); break;
          case 20: e.y1 = in_.Number(*p); break;
          case 30: e.z = in_.Number(*p); break;
          case 11: e.x2 = in_.Number(*p); break;
          case 21: e.y2 = in_.Number(*p); break;
          default: break;
        }
      }
    } else if (r.type == "ARC" || r.type == "CIRCLE") {
      e.type = r.type == "ARC" ? DxfType::Arc : DxfType::Circle;
      for (const GroupPair* p : r.pairs) {
        Common(e, *p);
        switch (p->code) {
          case 10: e.x1 = in_.Number(*p); break;
          case 20: e.y1 = in_.Number(*p); break;
          case 30: e.z = in_.Number(*p); break;
          case 40: e.radius = in_.Number(*p); break;
          case 50: e.startAngle = in_.Number(*p); break;
          case 51: e.endAngle = in_.Number(*p); break;
          default: break;
        }
      }
      if (!(e.radius > 0.0)) {
        ThrowDxfError(in_.File(), r.line, r.type + " has a radius that is not positive");
      }
    } else if (r.type == "LWPOLYLINE") {
      e.type = DxfType::Polyline;
      for (const GroupPair* p : r.pairs) {
        Common(e, *p);
        switch (p->code) {
          case 70: e.closed = (in_.Integer(*p) & 1) != 0; break;
          case 38: e.z = in_.Number(*p); break;
          case 10: e.vertices.push_back({in_.Number(*p), 0.0, 0.0}); break;
          case 20:
          case 42:
            if (e.vertices.empty()) in_.Fail(*p, "LWPOLYLINE value before its first vertex");
            (p->code == 20 ? e.vertices.back().y : e.vertices.back().bulge) = in_.Number(*p);
            break;
          default: break;
        }
      }
    } else if (r.type == "POLYLINE") {
      e.type = DxfType::Polyline;
      for (const GroupPair* p : r.pairs) {
        Common(e, *p);
        if (p->code == 70) e.closed = (in_.Integer(*p) & 1) != 0;
      }
      for (;;) {
        Record v = NextRecord();
        if (v.type == "SEQEND") break;
        if (v.type != "VERTEX") {
          ThrowDxfError(in_.File(), v.line, "POLYLINE holds " + v.type + " where VERTEX or SEQEND belongs");
        }
        DxfVertex vertex;
        bool controlPoint = false;
        for (const GroupPair* p : v.pairs) {
          switch (p->code) {
            case 10: vertex.x = in_.Number(*p); break;
            case 20: vertex.y = in_.Number(*p); break;
            case 42: vertex.bulge = in_.Number(*p); break;
            case 70: controlPoint = (in_.Integer(*p) & 16) != 0; break;
            default: break;
          }
        }
        if (!controlPoint) e.vertices.push_back(vertex);
      }
    } else if (r.type == "HATCH") {
      e.type = DxfType::Hatch;
      Hatch(r, e);
    } else if (r.type == "INSERT") {
      e.type = DxfType::Insert;
      for (const GroupPair* p : r.pairs) {
        Common(e, *p);
        switch (p->code) {
          case 2: e.block = p->value; break;
          case 10: e.x1 = in_.Number(*p); break;
          case 20: e.y1 = in_.Number(*p); break;
          case 41: e.scaleX = in_.Number(*p); break;
          case 42: e.scaleY = in_.Number(*p); break;
          case 50: e.rotation = in_.Number(*p); break;
          default: break;
        }
      }
    } else if (r.type == "SPLINE" || r.type == "ELLIPSE" || r.type == "HELIX") {
      e.type = DxfType::Unsupported;
      for (const GroupPair* p : r.pairs) Common(e, *p);
    } else {
      return;
    }
    target.push_back(std::move(e));
  }

  // Hatch data is positional: the same codes mean different things in the boundary paths and
  // in the pattern, so it is read in order with a cursor.
  void Hatch(const Record& r, DxfEntity& e) {
    std::size_t i = 0;
    const std::size_t n = r.pairs.size();
    auto need = [&](int code) -> const GroupPair& {
      if (i >= n || r.pairs[i]->code != code) {
        ThrowDxfError(in_.File(), i < n ? r.pairs[i]->line : r.line,
                      "HATCH: expected group code " + std::to_string(code));
      }
      return *r.pairs[i++];
    };
    for (; i < n && r.pairs[i]->code != 91; ++i) {
      const GroupPair& p = *r.pairs[i];
      Common(e, p);
      if (p.code == 2) e.pattern = p.value;
      if (p.code == 70) e.solid = in_.Integer(p) == 1;
    }
    if (i >= n) return;
    const int paths = in_.Integer(need(91));
    for (int k = 0; k < paths; ++k) {
      DxfHatchLoop loop;
      const int flags = in_.Integer(need(92));
      if (flags & 2) {
        const bool bulges = in_.Integer(need(72)) != 0;
        need(73);
        const int count = in_.Integer(need(93));
        for (int v = 0; v < count; ++v) {
          DxfVertex vertex{in_.Number(need(10)), in_.Number(need(20)), 0.0};
          if (bulges && i < n && r.pairs[i]->code == 42) vertex.bulge = in_.Number(need(42));
          loop.vertices.push_back(vertex);
        }
      } else {
        const int edges = in_.Integer(need(93));
        for (int k2 = 0; k2 < edges; ++k2) {
          const int kind = in_.Integer(need(72));
          if (kind == 1) {
            const double x1 = in_.Number(need(10)), y1 = in_.Number(need(20));
            need(11);
            need(21);
            loop.vertices.push_back({x1, y1, 0.0});
          } else if (kind == 2) {
            const double cx = in_.Number(need(10)), cy = in_.Number(need(20));
            const double rad = in_.Number(need(40));
            double a0 = in_.Number(need(50)), a1 = in_.Number(need(51));
            const bool ccw = in_.Integer(need(73)) != 0;
            if (!ccw) {  // clockwise edges hold their angles mirrored
              a0 = -a0;
              a1 = -a1;
            }
            double sweep = a1 - a0;
            if (ccw) {
              while (sweep <= 0.0) sweep += 360.0;
            } else {
              while (sweep >= 0.0) sweep -= 360.0;
            }
            loop.vertices.push_back({cx + rad * std::cos(a0 * kDegToRad),
                                     cy + rad * std::sin(a0 * kDegToRad),
                                     std::tan(sweep * kDegToRad / 4.0)});
          } else {
            ThrowDxfError(in_.File(), r.pairs[i - 1]->line,
                          "HATCH: boundary edges of type " + std::to_string(kind) +
                              " are not read");
          }
        }
      }
      if (i < n && r.pairs[i]->code == 97) {
        const int sources = in_.Integer(need(97));
        for (int s = 0; s < sources; ++s) need(330);
      }
      e.loops.push_back(std::move(loop));
    }
    for (; i < n; ++i) {
      const GroupPair& p = *r.pairs[i];
      if (p.code == 52 && e.patternLines == 0) e.patternAngle = in_.Number(p);
      if (p.code == 41 && e.patternLines == 0) e.patternScale = in_.Number(p);
      if (p.code == 78) e.patternLines = in_.Integer(p);
    }
  }

  void Object(const Record& r) {
    if (r.type == "DICTIONARY") {
      std::string name;
      for (const GroupPair* p : r.pairs) {
        if (p->code == 3) name = p->value;
        if ((p->code == 350 || p->code == 360) && !name.empty()) names_[p->value] = name;
      }
    } else if (r.type == "GROUP") {
      DxfGroup g;
      for (const GroupPair* p : r.pairs) {
        if (p->code == 5) g.handle = p->value;
        if (p->code == 340) g.members.push_back(p->value);
      }
      doc_.groups.push_back(std::move(g));
    }
  }

  void NameGroups() {
    for (DxfGroup& g : doc_.groups) {
      auto it = names_.find(g.handle);
      if (it != names_.end()) g.name = it->second;
    }
  }

  GroupReader in_;
  DxfDocument doc_;
  std::map<std::string, std::string> names_;  // object handle -> dictionary entry name
};

}  // namespace

DxfDocument ReadDxf(std::string_view text, std::string_view file) {
  return Reader(text, file).Read();
}

}  // namespace sulkor::host
