#include "host/sqlite/job_file.h"

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include <SQLiteCpp/SQLiteCpp.h>
#include <sqlite3.h>

#include "host/sqlite/job_checksums.h"
#include "host/sqlite/job_schema.h"
#include "host/sqlite/job_values.h"
#include "host/text/printable_text.h"

namespace sulkor::host {
namespace {

constexpr std::string_view kNextPartId = "next_part_id";
constexpr std::string_view kNextOperationId = "next_operation_id";
constexpr std::string_view kPlaceTop = "top";
constexpr std::string_view kPlaceChild = "child";
constexpr std::string_view kPlaceFree = "free";

// Runs f, turning the failures of SQLite and damaged rows into one JobFileError naming the file.
template <class F>
auto Guarded(const std::string& name, std::string_view doing, F&& f) -> decltype(f()) {
  // The texts may quote bytes of a damaged file: they are made printable.
  const auto error = [&](const std::string& text) { return JobFileError(PrintableText(text)); };
  try {
    return f();
  } catch (const JobFileError& e) {
    throw error(e.what());
  } catch (const JobDamage& e) {
    throw error(name + ": damaged job file: " + e.what());
  } catch (const SQLite::Exception& e) {
    const int code = e.getErrorCode() & 0xFF;
    const std::string what = e.what();
    if (code == SQLITE_NOTADB) throw error(name + ": not a Sulkor job file (" + what + ")");
    if (code == SQLITE_CORRUPT) throw error(name + ": damaged job file (" + what + ")");
    if (code == SQLITE_BUSY || code == SQLITE_LOCKED) {
      throw error(name + ": " + std::string(doing) + ": " + what +
                  " (another command is working on the job; try again when it is done)");
    }
    if (code == SQLITE_READONLY || code == SQLITE_CANTOPEN) {
      // SQLite writes a journal beside the file: the folder must be writable too.
      throw error(name + ": " + std::string(doing) + ": " + what +
                  " (the job file and its folder must both be writable)");
    }
    if (code == SQLITE_FULL || e.getExtendedErrorCode() == SQLITE_IOERR_WRITE ||
        e.getExtendedErrorCode() == SQLITE_IOERR_FSYNC) {
      throw error(name + ": " + std::string(doing) + ": " + what +
                  " (the disk is full or a file size limit is reached)");
    }
    throw error(name + ": " + std::string(doing) + ": " + what);
  }
}

// A transaction of its own, or a savepoint within one that is open already. Without Commit it
// is rolled back.
class Scope {
 public:
  Scope(SQLite::Database& db, const char* savepoint, const char* begin)
      : db_(db), savepoint_(savepoint), nested_(sqlite3_get_autocommit(db.getHandle()) == 0) {
    db_.exec(nested_ ? "SAVEPOINT " + savepoint_ : std::string(begin));
  }
  Scope(const Scope&) = delete;
  Scope& operator=(const Scope&) = delete;
  ~Scope() {
    if (done_) return;
    try {
      if (nested_) {
        db_.exec("ROLLBACK TO " + savepoint_);
        db_.exec("RELEASE " + savepoint_);
      } else {
        db_.exec("ROLLBACK");
      }
    } catch (const SQLite::Exception&) {
      // SQLite rolls back by itself a transaction whose statement failed hard enough for this
      // to fail too.
    }
  }
  void Commit() {
    db_.exec(nested_ ? "RELEASE " + savepoint_ : std::string("COMMIT"));
    done_ = true;
  }

 private:
  SQLite::Database& db_;
  std::string savepoint_;
  bool nested_;
  bool done_ = false;
};

std::shared_ptr<MemoryGraphic> AsMemory(const Handle<Graphic>& graphic) {
  return std::dynamic_pointer_cast<MemoryGraphic>(graphic.shared());
}

// ---- writing

class Writer {
 public:
  Writer(SQLite::Database& db, const std::string& name) : db_(db), name_(name) {}

  void Write(const MemoryHost& host, const std::function<void()>& midway) {
    for (std::string_view table : kJobContentTables) db_.exec("DELETE FROM " + std::string(table));
    MemoryDrawing& drawing = *host.Drawing();
    MemoryDataStore& store = *host.store;

    SQLite::Statement property(db_, "INSERT INTO drawing_property VALUES (?, ?, ?, 0)");
    for (const auto& [key, value] : drawing.Properties()) {
      property.bind(1, key);
      BindVariant(property, 2, 3, value);
      Step(property);
    }
    SQLite::Statement brush(db_, "INSERT INTO brush VALUES (?, 0)");
    for (const auto& [key, unused] : drawing.Brushes()) {
      brush.bind(1, key);
      Step(brush);
    }

    WriteCollection(drawing.TopList(), kPlaceTop, 0);
    // The graphics that the store refers to from outside the drawing, each with its tree.
    for (const auto& part : store.Parts()) Free(part->PartGraphic());
    for (const auto& op : store.BlockSets()) {
      Free(op->GraphicGroup());
      Free(op->Trajectory());
      Handle<GraphicSet> set = op->ContourSet();
      if (!set) continue;
      for (int32_t i = 0; i < set->Count(); ++i) Free(set->Item(i), op->Identifier());
    }
    if (midway) midway();

    WriteStore(store);
    // The rows were written with a checksum of 0; now each gets its own, each table its total.
    SealJobRows(db_);
  }

 private:
  static void Step(SQLite::Statement& statement) {
    statement.exec();
    statement.reset();
    statement.clearBindings();
  }

  void WriteCollection(MemoryGraphics& collection, std::string_view place, int64_t owner) {
    int position = 0;
    for (const auto& graphic : collection.All()) WriteGraphic(*graphic, place, owner, position++);
  }

  void WriteGraphic(MemoryGraphic& graphic, std::string_view place, int64_t owner, int position) {
    const int64_t id = static_cast<int64_t>(ids_.size()) + 1;
    ids_.emplace(&graphic, id);
    if (!graphicRow_) {
      graphicRow_ = std::make_unique<SQLite::Statement>(
          db_, "INSERT INTO graphic VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 0)");
      propertyRow_ = std::make_unique<SQLite::Statement>(
          db_, "INSERT INTO graphic_property VALUES (?, ?, ?, ?, 0)");
    }
    SQLite::Statement& row = *graphicRow_;
    row.bind(1, id);
    row.bind(2, std::string(place));
    if (owner == 0) {
      row.bind(3);
    } else {
      row.bind(3, owner);
    }
    row.bind(4, position);
    row.bind(5, graphic.Kind());
    row.bind(6, graphic.Name());
    row.bind(7, graphic.Layer());
    if (Handle<Brush> brush = graphic.FillBrush()) {
      row.bind(8, brush->Name());
    } else {
      row.bind(8);
    }
    row.bind(9, graphic.Closed() ? 1 : 0);
    row.bind(10, graphic.Flag() ? 1 : 0);
    row.bind(11, static_cast<int>(graphic.State()));
    row.bind(12, graphic.Deleted() ? 1 : 0);
    const std::string vertices = PackVertices(graphic.VertexList());
    row.bind(13, vertices.data(), static_cast<int>(vertices.size()));
    Step(row);
    for (const auto& [key, value] : graphic.Properties()) {
      propertyRow_->bind(1, id);
      propertyRow_->bind(2, key);
      BindVariant(*propertyRow_, 3, 4, value);
      Step(*propertyRow_);
    }
    WriteCollection(graphic.ChildList(), kPlaceChild, id);
  }

  // Saves a graphic out of the drawing with the tree it belongs to, as a free graphic.
  void Free(const Handle<Graphic>& handle, int32_t contourSetOf = 0) {
    if (!handle) return;
    std::shared_ptr<MemoryGraphic> graphic = AsMemory(handle);
    if (!graphic) {
      if (contourSetOf == 0) {
        throw JobFileError(name_ + ": cannot save: the store refers to a graphic of another host");
      }
      throw JobFileError(name_ + ": cannot save: the contour set of operation " +
                         std::to_string(contourSetOf) + " holds a graphic of another host");
    }
    if (ids_.count(graphic.get()) != 0) return;
    std::shared_ptr<MemoryGraphic> root = graphic;
    while (auto parent = root->Parent()) {
      std::shared_ptr<MemoryGraphic> owner = parent->Owner();
      if (!owner) break;
      root = owner;
    }
    WriteGraphic(*root, kPlaceFree, 0, freePosition_++);
  }

  // The id of a saved graphic, NULL for nothing.
  void BindGraphic(SQLite::Statement& statement, int index, const Handle<Graphic>& graphic) {
    if (!graphic) {
      statement.bind(index);
      return;
    }
    statement.bind(index, ids_.at(AsMemory(graphic).get()));
  }

  void WriteStore(MemoryDataStore& store) {
    SQLite::Statement info(db_, "INSERT INTO job_info VALUES (?, ?, 0)");
    info.bind(1, std::string(kNextPartId));
    info.bind(2, store.NextPartIdentifier());
    Step(info);
    info.bind(1, std::string(kNextOperationId));
    info.bind(2, store.NextBlockSetIdentifier());
    Step(info);

    SQLite::Statement setting(db_, "INSERT INTO setting VALUES (?, ?, ?, 0)");
    for (const auto& [key, value] : store.Settings()) {
      setting.bind(1, key);
      BindVariant(setting, 2, 3, value);
      Step(setting);
    }

    SQLite::Statement part(db_, "INSERT INTO part VALUES (?, ?, ?, ?, 0)");
    Handle<Part> active = store.ActivePart();
    int position = 0;
    for (const auto& p : store.Parts()) {
      part.bind(1, p->Identifier());
      part.bind(2, position++);
      BindGraphic(part, 3, p->PartGraphic());
      part.bind(4, active.shared() == p ? 1 : 0);
      Step(part);
    }

    SQLite::Statement tool(db_, "INSERT INTO tool VALUES (?, 0)");
    SQLite::Statement toolProperty(db_, "INSERT INTO tool_property VALUES (?, ?, ?, ?, 0)");
    SQLite::Statement toolOperation(db_, "INSERT INTO tool_operation VALUES (?, ?, 0)");
    for (const auto& [number, t] : store.ToolList().All()) {
      if (!t) continue;
      tool.bind(1, number);
      Step(tool);
      for (const auto& [key, value] : t->Properties()) {
        toolProperty.bind(1, number);
        toolProperty.bind(2, key);
        BindVariant(toolProperty, 3, 4, value);
        Step(toolProperty);
      }
      for (const std::string& operation : t->Operations()) {
        toolOperation.bind(1, number);
        toolOperation.bind(2, operation);
        Step(toolOperation);
      }
    }

    SQLite::Statement op(db_, "INSERT INTO operation VALUES (?, ?, ?, ?, ?, ?, 0)");
    SQLite::Statement opProperty(db_, "INSERT INTO operation_property VALUES (?, ?, ?, ?, 0)");
    SQLite::Statement item(db_, "INSERT INTO contour_set_item VALUES (?, ?, ?, 0)");
    position = 0;
    for (const auto& b : store.BlockSets()) {
      op.bind(1, b->Identifier());
      op.bind(2, position++);
      // Only a part set on the operation itself; OwnerPart would answer CAM_PartID's part too.
      if (const Handle<Part>& own = b->AssignedPart()) {
        op.bind(3, own->Identifier());
      } else {
        op.bind(3);
      }
      BindGraphic(op, 4, b->GraphicGroup());
      BindGraphic(op, 5, b->Trajectory());
      Handle<GraphicSet> set = b->ContourSet();
      op.bind(6, set ? 1 : 0);
      Step(op);
      for (const auto& [key, value] : b->Properties()) {
        opProperty.bind(1, b->Identifier());
        opProperty.bind(2, key);
        BindVariant(opProperty, 3, 4, value);
        Step(opProperty);
      }
      if (!set) continue;
      for (int32_t i = 0; i < set->Count(); ++i) {
        item.bind(1, b->Identifier());
        item.bind(2, i);
        BindGraphic(item, 3, set->Item(i));
        Step(item);
      }
    }
  }

  SQLite::Database& db_;
  const std::string& name_;
  std::unordered_map<const MemoryGraphic*, int64_t> ids_;
  std::unique_ptr<SQLite::Statement> graphicRow_;
  std::unique_ptr<SQLite::Statement> propertyRow_;
  int freePosition_ = 0;
};

// ---- reading

struct GraphicRow {
  int64_t id = 0;
  std::string place;
  int64_t owner = 0;
  int64_t position = 0;
  std::string kind, name, layer;
  bool hasBrush = false;
  std::string brush;
  bool closed = false, flag = false, deleted = false;
  int16_t state = 0;
  std::string vertices;
};

[[noreturn]] void Damaged(const std::string& problem) { throw JobDamage(problem); }

bool Flag(const SQLite::Column& column, std::string_view what) {
  if (!column.isInteger() || (column.getInt64() != 0 && column.getInt64() != 1)) {
    Damaged(std::string(what) + " is neither 0 nor 1");
  }
  return column.getInt64() == 1;
}

int32_t Int32(const SQLite::Column& column, std::string_view what) {
  if (!column.isInteger() || column.getInt64() < INT32_MIN || column.getInt64() > INT32_MAX) {
    Damaged(std::string(what) + " is not a 32-bit integer");
  }
  return static_cast<int32_t>(column.getInt64());
}

class Reader {
 public:
  explicit Reader(SQLite::Database& db) : db_(db) {}

  MemoryHost Read() {
    // The full check: it also compares each index with its table, which the quick one skips.
    SQLite::Statement check(db_, "PRAGMA integrity_check(1)");
    if (check.executeStep() && check.getColumn(0).getString() != "ok") {
      Damaged("the integrity check says: " + check.getColumn(0).getString());
    }
    VerifyJobRows(db_);
    MemoryHost host = BuildMemoryHost();
    drawing_ = host.Drawing();
    ReadDrawing();
    ReadStore(*host.store);
    return host;
  }

 private:
  void ReadDrawing() {
    SQLite::Statement property(db_, "SELECT name, type, value FROM drawing_property");
    while (property.executeStep()) {
      const std::string name = property.getColumn(0).getString();
      drawing_->SetProperty(name, ReadVariant(property.getColumn(1), property.getColumn(2),
                                              "drawing property \"" + name + "\""));
    }
    SQLite::Statement brush(db_, "SELECT name FROM brush");
    while (brush.executeStep()) drawing_->AddBrush(brush.getColumn(0).getString());

    std::map<int64_t, std::vector<GraphicRow>> children;  // by owner, 0 for the top level
    std::vector<GraphicRow> freeRows;
    std::set<int64_t> known;
    SQLite::Statement g(db_,
                        "SELECT id, place, owner, position, kind, name, layer, brush, closed, flag,"
                        " state, deleted, vertices FROM graphic ORDER BY position, id");
    while (g.executeStep()) {
      GraphicRow row;
      row.id = g.getColumn(0).getInt64();
      const std::string context = "graphic " + std::to_string(row.id);
      row.place = g.getColumn(1).getString();
      row.owner = g.getColumn(2).isNull() ? 0 : g.getColumn(2).getInt64();
      row.position = g.getColumn(3).getInt64();
      row.kind = g.getColumn(4).getString();
      row.name = g.getColumn(5).getString();
      row.layer = g.getColumn(6).getString();
      row.hasBrush = !g.getColumn(7).isNull();
      row.brush = g.getColumn(7).getString();
      row.closed = Flag(g.getColumn(8), context + ": the closed mark");
      row.flag = Flag(g.getColumn(9), context + ": the flag");
      const int32_t state = Int32(g.getColumn(10), context + ": the state");
      if (state < INT16_MIN || state > INT16_MAX) Damaged(context + ": the state is out of range");
      row.state = static_cast<int16_t>(state);
      row.deleted = Flag(g.getColumn(11), context + ": the deleted mark");
      const SQLite::Column vertices = g.getColumn(12);
      row.vertices.assign(static_cast<const char*>(vertices.getBlob()),
                          static_cast<size_t>(vertices.getBytes()));
      known.insert(row.id);
      if (row.place == kPlaceFree) {
        freeRows.push_back(std::move(row));
      } else if (row.place == kPlaceTop) {
        children[0].push_back(std::move(row));
      } else if (row.place == kPlaceChild && row.owner != 0) {
        const int64_t owner = row.owner;
        children[owner].push_back(std::move(row));
      } else {
        Damaged(context + ": an unknown place \"" + row.place + "\"");
      }
    }
    for (const auto& [owner, rows] : children) {
      if (owner != 0 && known.count(owner) == 0) {
        Damaged("graphic " + std::to_string(rows.front().id) + ": its owner " +
                std::to_string(owner) + " is missing");
      }
    }

    ReadProperties();
    for (GraphicRow& row : children[0]) {
      Handle<Graphic> added = drawing_->TopList().Add(row.kind);
      Build(row, AsMemory(added), children);
    }
    for (GraphicRow& row : freeRows) {
      auto graphic = MemoryGraphic::Create(row.kind, std::weak_ptr<Drawing>(drawing_));
      Build(row, graphic, children);
      if (row.deleted) graphic->Delete();
      freeGraphics_.push_back(graphic);
    }
    if (graphics_.size() != known.size()) {
      Damaged("graphics that belong to no tree (owners in a circle)");
    }
  }

  void ReadProperties() {
    SQLite::Statement p(db_, "SELECT graphic, name, type, value FROM graphic_property");
    while (p.executeStep()) {
      const int64_t id = p.getColumn(0).getInt64();
      const std::string name = p.getColumn(1).getString();
      properties_[id].emplace_back(
          name, ReadVariant(p.getColumn(2), p.getColumn(3),
                            "graphic " + std::to_string(id) + " property \"" + name + "\""));
    }
  }

  void Build(const GraphicRow& row, const std::shared_ptr<MemoryGraphic>& graphic,
             std::map<int64_t, std::vector<GraphicRow>>& children) {
    graphics_.emplace(row.id, graphic);
    graphic->SetName(row.name);
    graphic->SetLayer(row.layer);
    if (row.hasBrush) graphic->SetFillBrush(Handle<Brush>(drawing_->AddBrush(row.brush)));
    graphic->SetClosed(row.closed);
    graphic->SetFlag(row.flag);
    graphic->SetState(row.state);
    UnpackVertices(row.vertices.data(), row.vertices.size(), graphic->VertexList(),
                   "graphic " + std::to_string(row.id));
    for (auto& [name, value] : properties_[row.id]) graphic->SetProperty(name, value);
    auto it = children.find(row.id);
    if (it == children.end()) return;
    for (const GraphicRow& child : it->second) {
      Handle<Graphic> added = graphic->ChildList().Add(child.kind);
      Build(child, AsMemory(added), children);
    }
  }

  Handle<Graphic> GraphicAt(const SQLite::Column& column, const std::string& context) {
    if (column.isNull()) return nullptr;
    auto it = graphics_.find(column.getInt64());
    if (it == graphics_.end()) {
      Damaged(context + " refers to the missing graphic " + std::to_string(column.getInt64()));
    }
    return Handle<Graphic>(it->second);
  }

  void ReadStore(MemoryDataStore& store) {
    SQLite::Statement setting(db_, "SELECT key, type, value FROM setting");
    while (setting.executeStep()) {
      const std::string key = setting.getColumn(0).getString();
      store.SetSetting(key, ReadVariant(setting.getColumn(1), setting.getColumn(2),
                                        "setting \"" + key + "\""));
    }

    std::map<int32_t, std::shared_ptr<MemoryPart>> parts;
    SQLite::Statement part(db_, "SELECT id, graphic, active FROM part ORDER BY position");
    while (part.executeStep()) {
      const int32_t id = Int32(part.getColumn(0), "a part's identifier");
      const std::string context = "part " + std::to_string(id);
      auto p = store.RestorePart(id, GraphicAt(part.getColumn(1), context));
      parts.emplace(id, p);
      if (Flag(part.getColumn(2), context + ": the active mark")) store.SetActivePart(p);
    }

    SQLite::Statement tool(db_, "SELECT number FROM tool");
    SQLite::Statement toolProperty(db_, "SELECT tool, key, type, value FROM tool_property");
    SQLite::Statement toolOperation(db_, "SELECT tool, operation FROM tool_operation");
    std::map<int32_t, std::shared_ptr<MemoryTool>> tools;
    while (tool.executeStep()) {
      const int32_t number = Int32(tool.getColumn(0), "a tool number");
      tools.emplace(number, std::make_shared<MemoryTool>());
    }
    auto toolAt = [&](const SQLite::Column& column) {
      const int32_t number = Int32(column, "a tool number");
      auto it = tools.find(number);
      if (it == tools.end()) Damaged("the missing tool " + std::to_string(number) + " has values");
      return it->second;
    };
    while (toolProperty.executeStep()) {
      auto t = toolAt(toolProperty.getColumn(0));
      const std::string key = toolProperty.getColumn(1).getString();
      t->SetProperty(key, ReadVariant(toolProperty.getColumn(2), toolProperty.getColumn(3),
                                      "tool " + toolProperty.getColumn(0).getString() +
                                          " property \"" + key + "\""));
    }
    while (toolOperation.executeStep()) {
      toolAt(toolOperation.getColumn(0))->AllowOperation(toolOperation.getColumn(1).getString());
    }
    for (auto& [number, t] : tools) store.ToolList().SetTool(number, t);

    std::map<int32_t, std::shared_ptr<MemoryBlockSet>> ops;
    SQLite::Statement op(db_,
                         "SELECT id, part, group_graphic, trajectory, has_contour_set"
                         " FROM operation ORDER BY position");
    while (op.executeStep()) {
      const int32_t id = Int32(op.getColumn(0), "an operation's identifier");
      const std::string context = "operation " + std::to_string(id);
      auto b = store.RestoreBlockSet(id);
      ops.emplace(id, b);
      if (!op.getColumn(1).isNull()) {
        auto it = parts.find(Int32(op.getColumn(1), context + ": the part"));
        if (it == parts.end()) Damaged(context + " refers to a missing part");
        b->SetPart(Handle<Part>(it->second));
      }
      b->SetGraphicGroup(GraphicAt(op.getColumn(2), context));
      b->SetTrajectory(GraphicAt(op.getColumn(3), context));
      if (Flag(op.getColumn(4), context + ": the contour-set mark")) {
        b->SetContourSet(Handle<GraphicSet>(std::make_shared<MemoryGraphicSet>()));
      } else {
        b->SetContourSet(nullptr);
      }
    }
    auto opAt = [&](const SQLite::Column& column, std::string_view what) {
      auto it = ops.find(Int32(column, "an operation's identifier"));
      if (it == ops.end()) Damaged(std::string(what) + " of a missing operation");
      return it->second;
    };
    SQLite::Statement opProperty(db_, "SELECT operation, key, type, value FROM operation_property");
    while (opProperty.executeStep()) {
      auto b = opAt(opProperty.getColumn(0), "a property");
      const std::string key = opProperty.getColumn(1).getString();
      b->SetProperty(key, ReadVariant(opProperty.getColumn(2), opProperty.getColumn(3),
                                      "operation " + std::to_string(b->Identifier()) +
                                          " property \"" + key + "\""));
    }
    SQLite::Statement item(db_,
                           "SELECT operation, graphic FROM contour_set_item"
                           " ORDER BY operation, position");
    while (item.executeStep()) {
      auto b = opAt(item.getColumn(0), "a contour-set item");
      const std::string context = "the contour set of operation " + std::to_string(b->Identifier());
      Handle<GraphicSet> set = b->ContourSet();
      if (!set) Damaged(context + " has items but no set");
      Handle<Graphic> graphic = GraphicAt(item.getColumn(1), context);
      if (!graphic) Damaged(context + " holds nothing");
      set->Add(graphic);
    }

    SQLite::Statement info(db_, "SELECT key, value FROM job_info");
    int32_t nextPart = store.NextPartIdentifier();
    int32_t nextOperation = store.NextBlockSetIdentifier();
    while (info.executeStep()) {
      const std::string key = info.getColumn(0).getString();
      if (key == kNextPartId) {
        nextPart = std::max(nextPart, Int32(info.getColumn(1), "the next part identifier"));
      } else if (key == kNextOperationId) {
        nextOperation =
            std::max(nextOperation, Int32(info.getColumn(1), "the next operation identifier"));
      }
    }
    store.SetNextIdentifiers(nextPart, nextOperation);
    // Free graphics stay alive through the store's references; the list no longer matters.
    freeGraphics_.clear();
  }

  SQLite::Database& db_;
  std::shared_ptr<MemoryDrawing> drawing_;
  std::unordered_map<int64_t, std::shared_ptr<MemoryGraphic>> graphics_;
  std::unordered_map<int64_t, std::vector<std::pair<std::string, Variant>>> properties_;
  std::vector<std::shared_ptr<MemoryGraphic>> freeGraphics_;
};

void Configure(SQLite::Database& db) {
  // A command waits this long for another one working on the job before it gives up.
  db.setBusyTimeout(30000);
  db.exec("PRAGMA foreign_keys = ON");
  RegisterRowChecksum(db);
}

}  // namespace

JobFile::JobFile(std::unique_ptr<SQLite::Database> db, std::string name)
    : db_(std::move(db)), name_(std::move(name)) {}
JobFile::JobFile(JobFile&&) noexcept = default;
JobFile& JobFile::operator=(JobFile&&) noexcept = default;
JobFile::~JobFile() = default;

JobFile JobFile::Create(const std::string& path, const std::string& name) {
  const std::string& shown = name.empty() ? path : name;
  std::error_code ec;
  if (std::filesystem::exists(path, ec)) throw JobFileError(shown + ": a file of that name exists");
  JobFile job = Guarded(shown, "cannot create the job file", [&] {
    auto db = std::make_unique<SQLite::Database>(path,
                                                 SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
    Configure(*db);
    return JobFile(std::move(db), shown);
  });
  try {
    Guarded(shown, "cannot create the job file", [&] {
      Scope scope(*job.db_, "job_create", "BEGIN IMMEDIATE");
      CreateJobSchema(*job.db_);
      Writer(*job.db_, job.name_).Write(BuildMemoryHost(), {});
      scope.Commit();
    });
  } catch (...) {
    job.db_.reset();
    std::filesystem::remove(path, ec);
    std::filesystem::remove(path + "-journal", ec);
    throw;
  }
  return job;
}

JobFile JobFile::Open(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) throw JobFileError(path + ": no such job file");
  if (!std::filesystem::is_regular_file(path, ec)) throw JobFileError(path + ": not a file");
  return Guarded(path, "cannot open the job file", [&] {
    auto db = std::make_unique<SQLite::Database>(path, SQLite::OPEN_READWRITE);
    Configure(*db);
    {
      // One read transaction, so that a writer committing meanwhile cannot make the tables
      // read early disagree with those read late.
      Scope scope(*db, "job_open", "BEGIN");
      CheckJobSchema(*db, path);
      VerifyJobRows(*db);
      scope.Commit();
    }
    return JobFile(std::move(db), path);
  });
}

JobFile JobFile::InMemory() {
  const std::string name = "job in memory";
  return Guarded(name, "cannot create the job", [&] {
    auto db = std::make_unique<SQLite::Database>(":memory:",
                                                 SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
    Configure(*db);
    JobFile job(std::move(db), name);
    Scope scope(*job.db_, "job_create", "BEGIN");
    CreateJobSchema(*job.db_);
    Writer(*job.db_, job.name_).Write(BuildMemoryHost(), {});
    scope.Commit();
    return job;
  });
}

MemoryHost JobFile::Load() {
  return Guarded(name_, "cannot read the job file", [&] {
    Scope scope(*db_, "job_load", "BEGIN");
    MemoryHost host = Reader(*db_).Read();
    scope.Commit();
    return host;
  });
}

void JobFile::Save(const MemoryHost& host, const std::function<void()>& midway) {
  Guarded(name_, "cannot save the job", [&] {
    Scope scope(*db_, "job_save", "BEGIN IMMEDIATE");
    Writer(*db_, name_).Write(host, midway);
    scope.Commit();
  });
}

JobChange::JobChange(JobFile& job) : job_(job) {
  Guarded(job_.name_, "cannot change the job file", [&] { job_.db_->exec("BEGIN IMMEDIATE"); });
}

JobChange::~JobChange() {
  if (!open_) return;
  try {
    job_.db_->exec("ROLLBACK");
  } catch (const SQLite::Exception&) {
    // Already rolled back by SQLite after a hard failure.
  }
}

void JobChange::Commit() {
  Guarded(job_.name_, "cannot save the job", [&] { job_.db_->exec("COMMIT"); });
  open_ = false;
}

}  // namespace sulkor::host
