#include "host/sqlite/host_dump.h"

#include <bit>
#include <cstdint>
#include <map>
#include <sstream>

#include <fmt/format.h>

namespace sulkor::host {
namespace {

std::string Exact(double d) { return fmt::format("{:016x}({})", std::bit_cast<uint64_t>(d), d); }

std::string Value(const Variant& v) {
  switch (v.Type()) {
    case VariantType::Empty:
      return "Empty";
    case VariantType::Boolean:
      return fmt::format("Boolean:{}", v.ToBoolean());
    case VariantType::Integer:
      return fmt::format("Integer:{}", v.ToInteger());
    case VariantType::Long:
      return fmt::format("Long:{}", v.ToLong());
    case VariantType::Double:
      return "Double:" + Exact(v.ToDouble());
    case VariantType::String:
      return fmt::format("String:\"{}\"", v.ToText());
  }
  return "?";
}

class Dumper {
 public:
  std::string Dump(const MemoryHost& host) {
    MemoryDrawing& drawing = *host.Drawing();
    for (const auto& [name, value] : drawing.Properties()) {
      out_ << "drawing property " << name << " = " << Value(value) << '\n';
    }
    for (const auto& [name, unused] : drawing.Brushes()) out_ << "brush " << name << '\n';
    Collection(drawing.TopList(), "top", out_);

    MemoryDataStore& store = *host.store;
    for (const auto& [key, value] : store.Settings()) {
      out_ << "setting " << key << " = " << Value(value) << '\n';
    }
    Handle<Part> active = store.ActivePart();
    for (const auto& part : store.Parts()) {
      out_ << "part " << part->Identifier() << " graphic " << Path(part->PartGraphic())
           << (active.shared() == part ? " active" : "") << '\n';
    }
    for (const auto& [number, tool] : store.ToolList().All()) {
      out_ << "tool " << number << '\n';
      for (const auto& [key, value] : tool->Properties()) {
        out_ << "  " << key << " = " << Value(value) << '\n';
      }
      for (const auto& op : tool->Operations()) out_ << "  performs " << op << '\n';
    }
    for (const auto& op : store.BlockSets()) {
      out_ << "operation " << op->Identifier() << " index " << op->Index() << " part "
           << (op->AssignedPart() ? std::to_string(op->AssignedPart()->Identifier()) : "-")
           << " group " << Path(op->GraphicGroup()) << " trajectory " << Path(op->Trajectory())
           << '\n';
      for (const auto& [key, value] : op->Properties()) {
        out_ << "  " << key << " = " << Value(value) << '\n';
      }
      Handle<GraphicSet> set = op->ContourSet();
      if (!set) {
        out_ << "  no contour set\n";
        continue;
      }
      for (int32_t i = 0; i < set->Count(); ++i) out_ << "  contour " << Path(set->Item(i)) << '\n';
    }
    out_ << "next part " << store.NextPartIdentifier() << " next operation "
         << store.NextBlockSetIdentifier() << '\n';
    // The trees outside the drawing, in the order in which the store named them.
    return out_.str() + outside_.str();
  }

 private:
  void Collection(MemoryGraphics& collection, const std::string& path,
                  std::ostringstream& out) {
    int32_t i = 0;
    for (const auto& g : collection.All()) Graphic(*g, path + "/" + std::to_string(i++), out);
  }

  void Graphic(MemoryGraphic& g, const std::string& path, std::ostringstream& out) {
    paths_[&g] = path;
    out << "graphic " << path << " kind \"" << g.Kind() << "\" name \"" << g.Name()
         << "\" layer \"" << g.Layer() << "\" brush "
         << (g.FillBrush() ? g.FillBrush()->Name() : "-") << " closed " << g.Closed()
         << " flag " << g.Flag() << " state " << g.State() << " deleted " << g.Deleted() << '\n';
    for (const auto& [name, value] : g.Properties()) {
      out << "  " << name << " = " << Value(value) << '\n';
    }
    for (const auto& v : g.VertexList().All()) {
      out << "  vertex " << Exact(v->X()) << ' ' << Exact(v->Y()) << ' ' << Exact(v->Z())
           << (v->ArcMark() ? " arc" : "") << '\n';
    }
    Collection(g.ChildList(), path, out);
  }

  std::string Path(const Handle<sulkor::Graphic>& handle) {
    if (!handle) return "-";
    auto* g = dynamic_cast<MemoryGraphic*>(handle.shared().get());
    if (!g) return "foreign";
    auto it = paths_.find(g);
    if (it != paths_.end()) return it->second;
    // Outside the drawing: the whole tree it belongs to is dumped at the end, numbered.
    MemoryGraphic* root = g;
    while (auto parent = root->Parent()) {
      auto owner = parent->Owner();
      if (!owner) break;
      root = owner.get();
    }
    Graphic(*root, "outside/" + std::to_string(outsideTrees_++), outside_);
    return paths_.at(g);
  }

  std::ostringstream out_;
  std::ostringstream outside_;
  int outsideTrees_ = 0;
  std::map<const MemoryGraphic*, std::string> paths_;
};

}  // namespace

std::string DumpMemoryHost(const MemoryHost& host) { return Dumper().Dump(host); }

}  // namespace sulkor::host
