#include "platform/Recordset.h"

#include <strings.h>
#include <algorithm>
#include <cctype>
#include <cstring>
#include <exception>
#include <sstream>

#include "platform/Connection.h"
#include "platform/RuntimeError.h"

namespace {

[[noreturn]] void NoCurrentRecord() { throw RuntimeError::NoCurrentRecord(); }

[[noreturn]] void OutOfRange() { throw RuntimeError(ErrorNumber::SubscriptOutOfRange, "Subscript out of range"); }

// Orders values as the database does: nulls first, numbers before text, text without case.
int Compare(const Value& a, const Value& b) {
    if (a.IsNull() || b.IsNull()) return a.IsNull() == b.IsNull() ? 0 : (a.IsNull() ? -1 : 1);
    if (a.IsNumber() && b.IsNumber()) {
        double x = a.ToDouble(), y = b.ToDouble();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    if (a.IsNumber() != b.IsNumber()) return a.IsNumber() ? -1 : 1;
    // Both are text here, compared in place: a sort of 100,000 rows makes millions of
    // comparisons.
    int c = strcasecmp(std::get<std::string>(a.Raw()).c_str(), std::get<std::string>(b.Raw()).c_str());
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

}  // namespace

std::size_t Recordset::NoCaseHash::operator()(const std::string& s) const {
    std::size_t h = 14695981039346656037ULL;
    for (char c : s)
        h = (h ^ static_cast<unsigned char>(std::tolower(static_cast<unsigned char>(c)))) * 1099511628211ULL;
    return h;
}

bool Recordset::NoCaseEqual::operator()(const std::string& a, const std::string& b) const {
    return a.size() == b.size() && strcasecmp(a.c_str(), b.c_str()) == 0;
}

void Recordset::Table::AddColumn(Column column) {
    columnIndex.emplace(column.name, static_cast<int>(columns.size()));
    columns.push_back(std::move(column));
}

Recordset::Recordset() : table_(std::make_shared<Table>()) {}

void Recordset::AppendField(const std::string& name) {
    if (table_->open) throw RuntimeError(ErrorNumber::InvalidCall, "Operation is not allowed when the object is open.");
    table_->AddColumn({name, "", "", false});
}

void Recordset::Open() {
    table_->open = true;
    Rebuild();
    pos_ = view_.empty() ? 0 : 0;
}

void Recordset::Close() {
    table_ = std::make_shared<Table>();
    view_.clear();
    rowOfStale_ = true;
    pos_ = 0;
    onDeleted_ = editing_ = adding_ = false;
}

bool Recordset::IsOpen() const { return table_->open; }

void Recordset::RequireOpen() const {
    if (!table_->open)
        throw RuntimeError(ErrorNumber::ObjectClosed, "Operation is not allowed when the object is closed.");
}

Connection* Recordset::Source() const {
    if (!table_->fromQuery) return nullptr;
    auto alive = table_->connection.lock();
    // A recordset that outlives its connection (the database was closed or swapped) can be
    // read but never written back.
    if (!alive) throw RuntimeError(ErrorNumber::ObjectClosed, "Operation is not allowed when the object is closed.");
    return *alive;
}

int Recordset::FieldCount() const { return static_cast<int>(table_->columns.size()); }

const std::string& Recordset::FieldName(int index) const {
    if (index < 0 || index >= FieldCount())
        throw RuntimeError(ErrorNumber::ItemNotFound,
                           "Item cannot be found in the collection corresponding to the requested name or ordinal.");
    return table_->columns[index].name;
}

int Recordset::FieldIndex(const std::string& name) const {
    auto found = table_->columnIndex.find(name);
    return found == table_->columnIndex.end() ? -1 : found->second;
}

long Recordset::Rows() const { return table_->open ? static_cast<long>(view_.size()) : 0; }

const Value& Recordset::At(long row, int column) const {
    if (row < 0 || row >= Rows() || column < 0 || column >= FieldCount()) OutOfRange();
    return table_->rows[view_[row]].values[column];
}

Recordset::Bookmark Recordset::BookmarkAt(long row) const {
    if (row < 0 || row >= Rows()) OutOfRange();
    return static_cast<Bookmark>(view_[row]);
}

void Recordset::IndexView() const {
    rowOf_.assign(table_->rows.size(), -1);
    for (std::size_t place = 0; place < view_.size(); ++place) rowOf_[view_[place]] = static_cast<long>(place);
    rowOfStale_ = false;
}

long Recordset::RowOf(Bookmark bookmark) const {
    if (rowOfStale_ || rowOf_.size() != table_->rows.size()) IndexView();
    if (bookmark < 0 || bookmark >= static_cast<Bookmark>(rowOf_.size())) return -1;
    long place = rowOf_[bookmark];
    return place >= 0 && !table_->rows[bookmark].deleted ? place : -1;
}

void Recordset::RemoveFromView(long place) {
    view_.erase(view_.begin() + place);
    rowOfStale_ = true;
}

int Recordset::RequireField(const std::string& name) const {
    int i = FieldIndex(name);
    if (i < 0)
        throw RuntimeError(ErrorNumber::ItemNotFound,
                           "Item cannot be found in the collection corresponding to the requested name or ordinal.");
    return i;
}

Recordset::Row& Recordset::CurrentRow() {
    RequireOpen();
    if (onDeleted_ || pos_ < 0 || pos_ >= static_cast<long>(view_.size())) NoCurrentRecord();
    Row& row = table_->rows[view_[pos_]];
    if (row.deleted) NoCurrentRecord();
    return row;
}

const Recordset::Row& Recordset::CurrentRow() const { return const_cast<Recordset*>(this)->CurrentRow(); }

const Value& Recordset::Field(const std::string& name) const { return Field(RequireField(name)); }

const Value& Recordset::Field(int index) const {
    FieldName(index);
    return CurrentRow().values[index];
}

void Recordset::SetField(const std::string& name, const Value& value) { SetField(RequireField(name), value); }

void Recordset::SetField(int index, const Value& value) {
    FieldName(index);
    Row& row = CurrentRow();
    if (!editing_) {
        editing_ = true;
        dirty_.assign(table_->columns.size(), false);
        original_ = row.values;
    }
    row.values[index] = value;
    dirty_[index] = true;
}

// A recordset whose query failed was never opened: asking it anything fails, so the caller's
// first look at it is logged under the caller's name.
// On a row just deleted the cursor is at neither end, as it was before the delete.
bool Recordset::Eof() const {
    RequireOpen();
    return !onDeleted_ && pos_ >= static_cast<long>(view_.size());
}
bool Recordset::Bof() const {
    RequireOpen();
    return !onDeleted_ && (pos_ < 0 || view_.empty());
}

void Recordset::MoveFirst() {
    RequireOpen();
    onDeleted_ = false;
    pos_ = 0;
}
void Recordset::MoveLast() {
    RequireOpen();
    onDeleted_ = false;
    pos_ = view_.empty() ? 0 : static_cast<long>(view_.size()) - 1;
}

void Recordset::MoveNext() {
    RequireOpen();
    if (onDeleted_) {  // the row that followed the deleted one already stands at pos_
        onDeleted_ = false;
        return;
    }
    if (Eof()) NoCurrentRecord();
    if (editing_) Update();
    ++pos_;
}

void Recordset::MovePrevious() {
    RequireOpen();
    if (onDeleted_) {
        onDeleted_ = false;
        --pos_;
        return;
    }
    if (pos_ < 0) NoCurrentRecord();
    if (editing_) Update();
    --pos_;
}

long Recordset::RecordCount() const {
    RequireOpen();
    return static_cast<long>(view_.size());
}

long Recordset::AbsolutePosition() const {
    if (Eof() || Bof()) return 0;
    return pos_ + 1;
}

Recordset::Bookmark Recordset::GetBookmark() const {
    CurrentRow();
    return static_cast<Bookmark>(view_[pos_]);
}

void Recordset::SetBookmark(Bookmark bookmark) {
    RequireOpen();
    long place = RowOf(bookmark);
    if (place < 0) NoCurrentRecord();
    onDeleted_ = false;
    pos_ = place;
}

Recordset Recordset::Clone() const {
    RequireOpen();
    Recordset copy;
    copy.table_ = table_;
    copy.Rebuild();
    return copy;
}

void Recordset::AddNew() {
    RequireOpen();
    if (editing_) Update();
    table_->rows.push_back({std::vector<Value>(table_->columns.size()), false});
    view_.push_back(table_->rows.size() - 1);
    rowOfStale_ = true;
    onDeleted_ = false;
    pos_ = static_cast<long>(view_.size()) - 1;
    editing_ = adding_ = true;
    dirty_.assign(table_->columns.size(), false);
}

void Recordset::Update() {
    RequireOpen();
    if (!editing_) return;
    Row& row = CurrentRow();
    Connection* db = Source();
    if (db) {
        // Write the changed columns to the base table they came from, by its key.
        std::string base;
        int key = -1;
        for (std::size_t i = 0; i < table_->columns.size(); ++i) {
            const Column& c = table_->columns[i];
            if (c.baseTable.empty()) continue;
            if (base.empty()) base = c.baseTable;
            if (c.baseTable == base && c.isKey) key = static_cast<int>(i);
        }
        if (base.empty())
            throw RuntimeError(ErrorNumber::DatabaseFailure,
                               "Insufficient base table information for updating or refreshing.");
        std::vector<Value> params;
        std::string names, marks, sets;
        for (std::size_t i = 0; i < table_->columns.size(); ++i) {
            const Column& c = table_->columns[i];
            if (!dirty_[i] || c.baseTable != base) continue;
            std::string q = "\"" + c.baseColumn + "\"";
            names += (names.empty() ? "" : ",") + q;
            marks += (marks.empty() ? "?" : ",?");
            sets += (sets.empty() ? "" : ",") + q + "=?";
            params.push_back(row.values[i]);
        }
        if (adding_) {
            std::string sql = names.empty() ? "INSERT INTO \"" + base + "\" DEFAULT VALUES"
                                            : "INSERT INTO \"" + base + "\" (" + names + ") VALUES (" + marks + ")";
            db->Execute(sql, params);
            if (key >= 0) row.values[key] = Value(static_cast<long long>(db->LastInsertId()));
        } else if (!sets.empty()) {
            if (key < 0)
                throw RuntimeError(ErrorNumber::DatabaseFailure,
                                   "Insufficient key column information for updating or refreshing.");
            params.push_back(row.values[key]);
            db->Execute("UPDATE \"" + base + "\" SET " + sets + " WHERE \"" + table_->columns[key].baseColumn + "\"=?",
                        params);
        }
    }
    editing_ = adding_ = false;
}

void Recordset::CancelUpdate() {
    if (!editing_) return;
    if (adding_) {
        table_->rows[view_[pos_]].deleted = true;
        RemoveFromView(pos_);
    } else {
        table_->rows[view_[pos_]].values = original_;
    }
    editing_ = adding_ = false;
}

void Recordset::DeleteFromBase(const Row& row) {
    Connection* db = Source();
    if (!db) return;
    int key = -1;
    std::string base;
    for (std::size_t i = 0; i < table_->columns.size() && key < 0; ++i)
        if (table_->columns[i].isKey) {
            key = static_cast<int>(i);
            base = table_->columns[i].baseTable;
        }
    if (key < 0)
        throw RuntimeError(ErrorNumber::DatabaseFailure,
                           "Insufficient key column information for updating or refreshing.");
    db->Execute("DELETE FROM \"" + base + "\" WHERE \"" + table_->columns[key].baseColumn + "\"=?", {row.values[key]});
}

void Recordset::Delete(const std::function<void(long row)>& leaving) {
    Row& row = CurrentRow();
    if (adding_) {
        if (leaving) leaving(pos_);
        CancelUpdate();
        return;
    }
    DeleteFromBase(row);
    row.deleted = true;
    editing_ = false;
    if (leaving) leaving(pos_);
    RemoveFromView(pos_);
    onDeleted_ = true;
}

void Recordset::Delete(const std::vector<Bookmark>& bookmarks) {
    RequireOpen();
    if (editing_) CancelUpdate();
    auto& rows = table_->rows;
    std::exception_ptr failure;
    try {
        for (Bookmark bookmark : bookmarks) {
            if (bookmark < 0 || bookmark >= static_cast<Bookmark>(rows.size()) || rows[bookmark].deleted) continue;
            DeleteFromBase(rows[bookmark]);
            rows[bookmark].deleted = true;
        }
    } catch (...) {
        failure = std::current_exception();
    }
    view_.erase(std::remove_if(view_.begin(), view_.end(), [&](std::size_t row) { return rows[row].deleted; }),
                view_.end());
    rowOfStale_ = true;
    onDeleted_ = false;
    pos_ = 0;
    if (failure) std::rethrow_exception(failure);
}

void Recordset::Sort(const std::string& spec) {
    RequireOpen();
    sort_ = spec;
    Rebuild();
}

void Recordset::Filter(std::function<bool(const Recordset&)> predicate) {
    RequireOpen();
    filter_ = std::move(predicate);
    Rebuild();
}

bool Recordset::Find(const std::function<bool(const Recordset&)>& predicate) {
    RequireOpen();
    onDeleted_ = false;
    if (pos_ < 0) pos_ = 0;
    for (; pos_ < static_cast<long>(view_.size()); ++pos_)
        if (!table_->rows[view_[pos_]].deleted && predicate(*this)) return true;
    return false;
}

void Recordset::Rebuild() {
    view_.clear();
    onDeleted_ = false;
    const auto& rows = table_->rows;
    view_.reserve(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].deleted) continue;
        if (filter_) {
            view_.push_back(i);
            pos_ = static_cast<long>(view_.size()) - 1;
            bool keep = filter_(*this);
            if (!keep) view_.pop_back();
        } else {
            view_.push_back(i);
        }
    }
    if (!sort_.empty()) {
        std::vector<std::pair<int, bool>> keys;
        std::istringstream parts(sort_);
        std::string part;
        while (std::getline(parts, part, ',')) {
            std::istringstream words(part);
            std::string name, dir;
            words >> name >> dir;
            if (name.empty()) continue;
            if (name.front() == '[' && name.back() == ']') name = name.substr(1, name.size() - 2);
            keys.push_back({RequireField(name), strcasecmp(dir.c_str(), "DESC") == 0});
        }
        std::stable_sort(view_.begin(), view_.end(), [&](std::size_t a, std::size_t b) {
            for (auto [col, desc] : keys) {
                int c = Compare(rows[a].values[col], rows[b].values[col]);
                if (c != 0) return desc ? c > 0 : c < 0;
            }
            return false;
        });
    }
    pos_ = 0;
    IndexView();
}

namespace {

struct Criterion {
    std::string field, op;
    Value value;
};

Criterion ParseCriterion(const std::string& text) {
    Criterion c;
    std::size_t i = 0;
    auto skip = [&] {
        while (i < text.size() && text[i] == ' ') ++i;
    };
    skip();
    std::size_t start = i;
    if (i < text.size() && text[i] == '[') {
        auto close = text.find(']', i);
        if (close == std::string::npos) throw RuntimeError(ErrorNumber::InvalidCall, "Invalid criterion: " + text);
        c.field = text.substr(i + 1, close - i - 1);
        i = close + 1;
    } else {
        while (i < text.size() && (std::isalnum(static_cast<unsigned char>(text[i])) || text[i] == '_')) ++i;
        c.field = text.substr(start, i - start);
    }
    skip();
    for (const char* op : {"<=", ">=", "<>", "=", "<", ">"})
        if (text.compare(i, std::strlen(op), op) == 0) {
            c.op = op;
            i += std::strlen(op);
            break;
        }
    if (c.op.empty() && strncasecmp(text.c_str() + i, "LIKE", 4) == 0) {
        c.op = "LIKE";
        i += 4;
    }
    skip();
    if (c.field.empty() || c.op.empty() || i >= text.size())
        throw RuntimeError(ErrorNumber::InvalidCall, "Invalid criterion: " + text);
    if (text[i] == '\'' || text[i] == '#') {
        char quote = text[i++];
        std::string v;
        for (; i < text.size(); ++i) {
            if (text[i] == quote) {
                if (i + 1 < text.size() && text[i + 1] == quote) {
                    v += quote;
                    ++i;
                    continue;
                }
                break;
            }
            v += text[i];
        }
        c.value = Value(v);
    } else {
        std::string rest = text.substr(i);
        while (!rest.empty() && rest.back() == ' ') rest.pop_back();
        c.value = Value(rest).ToDouble();
    }
    return c;
}

bool Like(const std::string& text, const std::string& pattern) {
    std::size_t t = 0, p = 0, star = std::string::npos, mark = 0;
    auto lower = [](char ch) { return std::tolower(static_cast<unsigned char>(ch)); };
    while (t < text.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == '_' || lower(pattern[p]) == lower(text[t]))) {
            ++t;
            ++p;
        } else if (p < pattern.size() && (pattern[p] == '*' || pattern[p] == '%')) {
            star = p++;
            mark = t;
        } else if (star != std::string::npos) {
            p = star + 1;
            t = ++mark;
        } else return false;
    }
    while (p < pattern.size() && (pattern[p] == '*' || pattern[p] == '%')) ++p;
    return p == pattern.size();
}

}  // namespace

bool Recordset::Find(const std::string& criterion) {
    Criterion c = ParseCriterion(criterion);
    int field = RequireField(c.field);
    return Find([&](const Recordset& rs) {
        const Value& v = rs.table_->rows[rs.view_[rs.pos_]].values[field];
        if (v.IsNull()) return false;
        if (c.op == "LIKE") return Like(v.ToString(), c.value.ToString());
        int cmp = (c.value.IsNumber() && v.IsText()) ? Compare(Value(v.ToDouble()), c.value) : Compare(v, c.value);
        if (c.op == "=") return cmp == 0;
        if (c.op == "<>") return cmp != 0;
        if (c.op == "<") return cmp < 0;
        if (c.op == ">") return cmp > 0;
        if (c.op == "<=") return cmp <= 0;
        return cmp >= 0;
    });
}

void Recordset::Requery() {
    RequireOpen();
    if (!table_->fromQuery) {
        Rebuild();
        return;
    }
    const long held = static_cast<long>(table_->rows.size());
    const long rows = table_->pageRows > 0 ? std::max(table_->pageRows, held) : 0;
    Recordset fresh = Source()->Query(table_->sql, rows);
    fresh.table_->pageRows = table_->pageRows;
    table_ = fresh.table_;
    Rebuild();
}

std::string Recordset::Paged(const std::string& sql) {
    std::size_t end = sql.find_last_not_of(" \t\r\n;");
    return sql.substr(0, end == std::string::npos ? 0 : end + 1) + " LIMIT ?1 OFFSET ?2";
}

long Recordset::FetchMore(bool all, const std::function<void(long first, long count)>& arriving) {
    RequireOpen();
    if (!table_->more) return 0;
    auto& rows = table_->rows;
    const long long read = static_cast<long long>(rows.size());
    const long long wanted = all ? -1 : std::max<long long>(table_->pageRows, read);
    Recordset next = Source()->Query(Paged(table_->sql), {Value(wanted), Value(read)});
    auto& arrived = next.table_->rows;
    table_->more = !all && static_cast<long long>(arrived.size()) == wanted;
    const std::size_t shown = view_.size();
    for (auto& row : arrived) {
        rows.push_back(std::move(row));
        view_.push_back(rows.size() - 1);
    }
    if (filter_) {  // the filter looks at the current row: each new row is made current in turn
        const long kept = pos_;
        std::size_t to = shown;
        for (std::size_t from = shown; from < view_.size(); ++from) {
            pos_ = static_cast<long>(from);
            if (filter_(*this)) view_[to++] = view_[from];
        }
        view_.resize(to);
        pos_ = kept;
    }
    std::vector<std::size_t> added(view_.begin() + static_cast<long>(shown), view_.end());
    view_.resize(shown);
    if (arriving && !added.empty()) arriving(static_cast<long>(shown), static_cast<long>(added.size()));
    view_.insert(view_.end(), added.begin(), added.end());
    rowOfStale_ = true;
    return static_cast<long>(arrived.size());
}

std::string Recordset::GetString(const std::string& columnDelimiter, const std::string& rowDelimiter,
                                 const std::string& nullText) {
    RequireOpen();
    std::string out;
    for (; !Eof(); ++pos_) {
        const Row& row = table_->rows[view_[pos_]];
        if (row.deleted) continue;
        for (std::size_t i = 0; i < row.values.size(); ++i) {
            if (i) out += columnDelimiter;
            out += row.values[i].ToStringOr(nullText);
        }
        out += rowDelimiter;
    }
    return out;
}
