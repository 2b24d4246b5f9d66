#include "platform/RecordsetModel.h"

#include <QTimer>

#include <algorithm>
#include <memory>

#include "platform/RuntimeError.h"

namespace {

void SetFor(std::vector<std::pair<int, RecordsetModel::Shown>>& list, int role, RecordsetModel::Shown shown) {
    for (auto it = list.begin(); it != list.end(); ++it)
        if (it->first == role) {
            list.erase(it);
            break;
        }
    if (shown) list.emplace_back(role, std::move(shown));
}

const RecordsetModel::Shown* Find(const std::vector<std::pair<int, RecordsetModel::Shown>>& list, int role) {
    for (const auto& [r, shown] : list)
        if (r == role) return &shown;
    return nullptr;
}

}  // namespace

RecordsetModel::RecordsetModel(QObject* parent) : QAbstractTableModel(parent) {}

// The rows shown before a reset are freed only once the event loop is back, after the views
// have drawn the new ones: freeing 50,000 rows takes longer than the reset itself.
template <class Change>
void RecordsetModel::Reset(Change change) {
    auto previous = std::make_shared<Recordset>(rows_);
    beginResetModel();
    try {
        change();
    } catch (...) {
        endResetModel();
        throw;
    }
    endResetModel();
    QTimer::singleShot(0, this, [previous] {});
}

void RecordsetModel::SetRecordset(Recordset rows) {
    Reset([&] {
        rows_ = std::move(rows);
        fetchStopped_ = false;
    });
}

void RecordsetModel::Requery() {
    Reset([&] {
        rows_.Requery();
        fetchStopped_ = false;
    });
}

void RecordsetModel::Sort(const std::string& spec) {
    Reset([&] { rows_.Sort(spec); });
}

void RecordsetModel::Filter(std::function<bool(const Recordset&)> predicate) {
    Reset([&] { rows_.Filter(std::move(predicate)); });
}

void RecordsetModel::DeleteRow(int row) {
    rows_.SetBookmark(rows_.BookmarkAt(row));
    bool announced = false;
    rows_.Delete([&](long place) {
        beginRemoveRows(QModelIndex(), static_cast<int>(place), static_cast<int>(place));
        announced = true;
    });
    if (announced) endRemoveRows();
}

void RecordsetModel::Fetch(bool all) {
    if (!rows_.IsOpen()) return;
    bool announced = false;
    rows_.FetchMore(all, [&](long first, long count) {
        beginInsertRows(QModelIndex(), static_cast<int>(first), static_cast<int>(first + count - 1));
        announced = true;
    });
    if (announced) endInsertRows();
}

void RecordsetModel::FetchAll() { Fetch(true); }

bool RecordsetModel::canFetchMore(const QModelIndex& parent) const {
    return !parent.isValid() && !fetchStopped_ && rows_.IsOpen() && rows_.HasMore();
}

// Views ask from the event loop, where nothing may raise.
void RecordsetModel::fetchMore(const QModelIndex& parent) {
    if (!canFetchMore(parent)) return;
    try {
        Fetch(false);
    } catch (const std::exception& error) {
        fetchStopped_ = true;
        if (fetchFailed_) fetchFailed_(error);
    }
}

RecordsetModel::Column& RecordsetModel::ColumnAt(int column) {
    if (column < 0) throw RuntimeError(ErrorNumber::SubscriptOutOfRange, "Subscript out of range");
    if (static_cast<std::size_t>(column) >= columns_.size()) columns_.resize(column + 1);
    return columns_[column];
}

void RecordsetModel::SetShown(int column, int role, Shown shown) {
    if (column >= 0 && role == Qt::DisplayRole) ColumnAt(column).part = nullptr;
    SetFor(column < 0 ? everyColumn_ : ColumnAt(column).shown, role, std::move(shown));
    if (rowCount() > 0) emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1), {role});
}

void RecordsetModel::SetShownPart(int column, int field, TextPart part) {
    SetShown(column, Qt::DisplayRole, [field, part](const Recordset& rows, long row) -> QVariant {
        const Value& value = rows.At(row, field);
        if (value.IsNull()) return {};
        const std::string text = value.IsText() ? std::string() : value.ToString();
        const std::string_view shown = part(value.IsText() ? std::get<std::string>(value.Raw()) : text);
        return QString::fromUtf8(shown.data(), static_cast<qsizetype>(shown.size()));
    });
    ColumnAt(column).partOf = field;
    ColumnAt(column).part = part;
}

bool RecordsetModel::ForEachText(int column, int first, int last,
                                 const std::function<void(std::string_view)>& each) const {
    const bool known = static_cast<std::size_t>(column) < columns_.size();
    const int field = known && columns_[column].part ? columns_[column].partOf : column;
    const TextPart part = known ? columns_[column].part : nullptr;
    if (field < 0 || field >= rows_.FieldCount() || (!part && ShownFor(column, Qt::DisplayRole))) return false;
    std::string number;
    for (int row = std::max(first, 0); row <= last && row < rowCount(); ++row) {
        const Value& value = rows_.At(row, field);
        std::string_view text;
        if (value.IsText()) {
            text = std::get<std::string>(value.Raw());
        } else if (!value.IsNull()) {
            // A number shows as Qt writes it: whole numbers alike, reals in its own way.
            number = value.IsInteger() ? value.ToString() : ToVariant(value).toString().toStdString();
            text = number;
        }
        each(part && !value.IsNull() ? part(text) : text);
    }
    return true;
}

void RecordsetModel::SetEditable(int column, bool editable) { ColumnAt(column).editable = editable; }

void RecordsetModel::SetUnboundColumns(int count) {
    beginResetModel();
    unbound_ = count < 0 ? 0 : count;
    endResetModel();
}

void RecordsetModel::SetCheckable(int column, bool checkable) { ColumnAt(column).checkable = checkable; }

void RecordsetModel::SetWriteFailed(std::function<void(const std::exception&)> handler) {
    writeFailed_ = std::move(handler);
}

void RecordsetModel::SetFetchFailed(std::function<void(const std::exception&)> handler) {
    fetchFailed_ = std::move(handler);
}

const RecordsetModel::Shown* RecordsetModel::ShownFor(int column, int role) const {
    if (static_cast<std::size_t>(column) < columns_.size())
        if (const Shown* own = Find(columns_[column].shown, role)) return own;
    return Find(everyColumn_, role);
}

QVariant RecordsetModel::ToVariant(const Value& value) {
    const auto& raw = value.Raw();
    switch (raw.index()) {
        case 0: return {};
        case 1: return QVariant(static_cast<qlonglong>(std::get<std::int64_t>(raw)));
        case 2: return QVariant(std::get<double>(raw));
        default: return QVariant(QString::fromStdString(std::get<std::string>(raw)));
    }
}

Value RecordsetModel::FromVariant(const QVariant& value) {
    if (!value.isValid() || value.isNull()) return Value();
    switch (value.typeId()) {
        case QMetaType::Bool: return Value(value.toBool());
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::Long:
        case QMetaType::LongLong:
        case QMetaType::Short:
        case QMetaType::ULong:
        case QMetaType::ULongLong: return Value(static_cast<long long>(value.toLongLong()));
        case QMetaType::Double:
        case QMetaType::Float: return Value(value.toDouble());
        default: return Value(value.toString().toStdString());
    }
}

int RecordsetModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.Rows());
}

int RecordsetModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_.FieldCount() + unbound_;
}

// Views ask from the event loop, where nothing may raise: a value that cannot be shown shows
// nothing.
QVariant RecordsetModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount()) return {};
    try {
        if (const Shown* shown = ShownFor(index.column(), role)) return (*shown)(rows_, index.row());
        switch (role) {
            case Qt::DisplayRole:
            case Qt::EditRole: return ToVariant(rows_.At(index.row(), index.column()));
            case Qt::CheckStateRole: {
                if (static_cast<std::size_t>(index.column()) >= columns_.size() || !columns_[index.column()].checkable)
                    return {};
                const Value& value = rows_.At(index.row(), index.column());
                return !value.IsNull() && value.ToBool() ? Qt::Checked : Qt::Unchecked;
            }
            default: return {};
        }
    } catch (const std::exception&) {
        return {};
    }
}

bool RecordsetModel::Write(int row, int column, const Value& value) {
    try {
        rows_.SetBookmark(rows_.BookmarkAt(row));
        rows_.SetField(column, value);
        rows_.Update();
    } catch (const std::exception& error) {
        rows_.CancelUpdate();
        if (writeFailed_) writeFailed_(error);
        return false;
    }
    // Shown functions may read other fields of the row: the whole row has changed.
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    return true;
}

bool RecordsetModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= rows_.FieldCount()) return false;
    if (static_cast<std::size_t>(index.column()) >= columns_.size()) return false;
    const Column& column = columns_[index.column()];
    if (role == Qt::EditRole && column.editable) return Write(index.row(), index.column(), FromVariant(value));
    if (role == Qt::CheckStateRole && column.checkable)
        return Write(index.row(), index.column(), Value(value.toInt() == Qt::Checked));
    return false;
}

Qt::ItemFlags RecordsetModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
    if (static_cast<std::size_t>(index.column()) < columns_.size() && index.column() < rows_.FieldCount()) {
        if (columns_[index.column()].editable) flags |= Qt::ItemIsEditable;
        if (columns_[index.column()].checkable) flags |= Qt::ItemIsUserCheckable;
    }
    return flags;
}

QVariant RecordsetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < columnCount()) {
        if (static_cast<std::size_t>(section) < columns_.size() && columns_[section].caption.isValid())
            return columns_[section].caption;
        return section < rows_.FieldCount() ? QString::fromStdString(rows_.FieldName(section)) : QString();
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

bool RecordsetModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant& value, int role) {
    if (orientation != Qt::Horizontal || (role != Qt::DisplayRole && role != Qt::EditRole) || section < 0) return false;
    ColumnAt(section).caption = value;
    emit headerDataChanged(orientation, section, section);
    return true;
}
