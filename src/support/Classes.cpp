#include "support/Classes.h"

#include <algorithm>
#include <cstring>

#include "platform/WholeFile.h"
#include "support/SysUtils.h"

namespace qmz {

TextStore::TextStore(TextStore&& other) noexcept
    : blocks_(std::move(other.blocks_)),
      next_(other.next_),
      room_(other.room_),
      blockSize_(other.blockSize_),
      kept_(other.kept_),
      wasted_(other.wasted_) {
  other.blocks_.clear();
  other.next_ = nullptr;
  other.room_ = other.blockSize_ = other.kept_ = other.wasted_ = 0;
}

TextStore& TextStore::operator=(TextStore&& other) noexcept {
  if (this != &other) {
    TextStore moved(std::move(other));
    std::swap(blocks_, moved.blocks_);
    std::swap(next_, moved.next_);
    std::swap(room_, moved.room_);
    std::swap(blockSize_, moved.blockSize_);
    std::swap(kept_, moved.kept_);
    std::swap(wasted_, moved.wasted_);
  }
  return *this;
}

char* TextStore::Place(std::size_t size) {
  if (size > room_) {
    // A text larger than a quarter of the largest block gets a block of its own; the current block
    // stays open for the next ones. Blocks never move, so a text may point into them while this runs.
    if (size > kLargestBlock / 4) {
      blocks_.push_back(std::make_unique_for_overwrite<char[]>(size));
      kept_ += size;
      return blocks_.back().get();
    }
    OpenBlock(std::max(size, blockSize_ == 0 ? kFirstBlock : std::min(blockSize_ * 2, kLargestBlock)));
  }
  char* const at = next_;
  next_ += size;
  room_ -= size;
  kept_ += size;
  return at;
}

std::string_view TextStore::Keep(std::string_view text) {
  const std::size_t size = text.size();
  if (size == 0) return {};
  char* const at = Place(size);
  std::memcpy(at, text.data(), size);
  return {at, size};
}

std::string_view TextStore::Keep(std::initializer_list<std::string_view> parts) {
  std::size_t size = 0;
  for (const std::string_view part : parts) size += part.size();
  if (size == 0) return {};
  char* const at = Place(size);
  char* p = at;
  for (const std::string_view part : parts) {
    if (part.empty()) continue;
    std::memcpy(p, part.data(), part.size());
    p += part.size();
  }
  return {at, size};
}

void TextStore::Reserve(std::size_t bytes) {
  if (bytes > room_) OpenBlock(std::max(bytes, blockSize_));
}

void TextStore::OpenBlock(std::size_t size) {
  blockSize_ = size;
  blocks_.push_back(std::make_unique_for_overwrite<char[]>(size));
  next_ = blocks_.back().get();
  room_ = size;
}

void TextStore::Clear() {
  blocks_.clear();
  next_ = nullptr;
  room_ = blockSize_ = kept_ = wasted_ = 0;
}

TStringList::TStringList(TStringList&& other) noexcept
    : items_(std::move(other.items_)),
      texts_(std::move(other.texts_)),
      sorted_(other.sorted_),
      caseSensitive_(other.caseSensitive_),
      ownsObjects_(other.ownsObjects_),
      duplicates_(other.duplicates_) {
  other.items_.clear();
}

TStringList::~TStringList() { Clear(); }

std::size_t TStringList::CheckIndex(int index) const {
  if (index < 0 || index >= Count()) {
    throw EStringListError("List index out of bounds (" + std::to_string(index) + ")");
  }
  return std::size_t(index);
}

int TStringList::Compare(std::string_view a, std::string_view b) const {
  if (caseSensitive_) return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
  return CompareText(a, b);
}

void TStringList::FreeObject(TObject* object) const {
  if (ownsObjects_) delete object;
}

void TStringList::CompactTexts() {
  if (!texts_.WorthCompacting()) return;
  TextStore fresh;
  for (auto& item : items_) item.text = fresh.Keep(item.text);
  texts_ = std::move(fresh);
}

void TStringList::Put(int index, std::string_view text) {
  if (sorted_) throw EStringListError("Operation not allowed on sorted list");
  auto& item = items_[CheckIndex(index)];
  const std::string_view old = item.text;
  item.text = texts_.Keep(text);
  texts_.GiveUp(old);
  CompactTexts();
  Changed(index);
}

void TStringList::PutObject(int index, TObject* object) {
  auto& item = items_[CheckIndex(index)];
  if (item.object != object) FreeObject(item.object);
  item.object = object;
}

int TStringList::AddObject(std::string_view text, TObject* object) {
  if (!sorted_) {
    items_.push_back({texts_.Keep(text), object});
    Appended(Count() - 1);
    return Count() - 1;
  }
  int index = 0;
  if (Find(text, index)) {
    if (duplicates_ == TDuplicates::dupIgnore) {
      // The list keeps its own object; the caller still owns the one it offered.
      return index;
    }
    if (duplicates_ == TDuplicates::dupError) throw EStringListError("String list does not allow duplicates");
    // Accepted duplicates go after the equal ones, so insertion order among equals is kept.
    while (index < Count() && Compare(items_[std::size_t(index)].text, text) == 0) ++index;
  }
  items_.insert(items_.begin() + index, {texts_.Keep(text), object});
  if (index == Count() - 1) {
    Appended(index);
  } else {
    Changed(-1);
  }
  return index;
}

int TStringList::AddJoined(std::initializer_list<std::string_view> parts, TObject* object) {
  if (sorted_) {
    std::string text;
    for (const std::string_view part : parts) text += part;
    return AddObject(text, object);
  }
  items_.push_back({texts_.Keep(parts), object});
  Appended(Count() - 1);
  return Count() - 1;
}

void TStringList::Insert(int index, std::string_view text, TObject* object) {
  if (sorted_) throw EStringListError("Operation not allowed on sorted list");
  if (index < 0 || index > Count()) {
    throw EStringListError("List index out of bounds (" + std::to_string(index) + ")");
  }
  items_.insert(items_.begin() + index, {texts_.Keep(text), object});
  if (index == Count() - 1) {
    Appended(index);
  } else {
    Changed(-1);
  }
}

void TStringList::Delete(int index) {
  const std::size_t i = CheckIndex(index);
  TObject* object = items_[i].object;
  texts_.GiveUp(items_[i].text);
  items_.erase(items_.begin() + std::ptrdiff_t(i));
  CompactTexts();
  Changed(-1);
  FreeObject(object);
}

TObject* TStringList::Extract(int index) {
  const std::size_t i = CheckIndex(index);
  TObject* object = items_[i].object;
  texts_.GiveUp(items_[i].text);
  items_.erase(items_.begin() + std::ptrdiff_t(i));
  CompactTexts();
  Changed(-1);
  return object;
}

void TStringList::Clear() {
  if (ownsObjects_) {
    for (auto& item : items_) delete item.object;
  }
  items_.clear();
  texts_.Clear();
  Changed(-1);
}

void TStringList::Exchange(int a, int b) {
  std::swap(items_[CheckIndex(a)], items_[CheckIndex(b)]);
  Changed(-1);
}

int TStringList::IndexOf(std::string_view text) const {
  if (sorted_) {
    int index = 0;
    return Find(text, index) ? index : -1;
  }
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (Compare(items_[i].text, text) == 0) return int(i);
  }
  return -1;
}

int TStringList::IndexOfName(std::string_view name) const {
  for (std::size_t i = 0; i < items_.size(); ++i) {
    const std::string_view t = items_[i].text;
    const auto eq = t.find('=');
    if (eq != std::string_view::npos && Compare(t.substr(0, eq), name) == 0) return int(i);
  }
  return -1;
}

bool TStringList::Find(std::string_view text, int& index) const {
  int lo = 0;
  int hi = Count() - 1;
  bool found = false;
  while (lo <= hi) {
    const int mid = lo + (hi - lo) / 2;
    const int c = Compare(items_[std::size_t(mid)].text, text);
    if (c < 0) {
      lo = mid + 1;
    } else {
      hi = mid - 1;
      if (c == 0) {
        found = true;
        // The first of equal texts, unless duplicates are accepted at all.
        if (duplicates_ != TDuplicates::dupAccept) lo = mid;
      }
    }
  }
  index = lo;
  return found;
}

std::string TStringList::Names(int index) const {
  const std::string_view t = Strings(index);
  const auto eq = t.find('=');
  return eq == std::string_view::npos ? std::string() : std::string(t.substr(0, eq));
}

std::string TStringList::ValueFromIndex(int index) const {
  const std::string_view t = Strings(index);
  const auto eq = t.find('=');
  return eq == std::string_view::npos ? std::string() : std::string(t.substr(eq + 1));
}

std::string TStringList::Values(std::string_view name) const {
  const int i = IndexOfName(name);
  return i < 0 ? std::string() : ValueFromIndex(i);
}

void TStringList::SetValue(std::string_view name, std::string_view value) {
  const int i = IndexOfName(name);
  if (value.empty()) {
    if (i >= 0) Delete(i);
    return;
  }
  std::string line = std::string(name) + "=" + std::string(value);
  if (i < 0) {
    Add(line);
  } else if (sorted_) {
    TObject* object = Extract(i);
    AddObject(line, object);
  } else {
    Put(i, line);
  }
}

void AppendCommaText(std::string& Out, std::span<const std::string_view> Items) {
  // A lone empty item must not read back as no item at all.
  if (Items.size() == 1 && Items[0].empty()) {
    Out += "\"\"";
    return;
  }
  for (std::size_t i = 0; i < Items.size(); ++i) {
    if (i > 0) Out += ',';
    const std::string_view t = Items[i];
    // Every character that SetCommaText would read as a separator (any control character, not
    // only blank and tab) puts the item in quotes.
    const bool quote = std::any_of(t.begin(), t.end(),
                                   [](char c) { return static_cast<unsigned char>(c) <= ' ' || c == ',' || c == '"'; });
    if (!quote) {
      Out += t;
      continue;
    }
    Out += '"';
    for (char c : t) {
      if (c == '"') Out += '"';
      Out += c;
    }
    Out += '"';
  }
}

std::size_t SplitCommaText(std::string_view Text, std::string& Out, char End) {
  Text = Text.substr(0, Text.find('\0'));
  std::size_t count = 0;
  std::size_t i = 0;
  const std::size_t n = Text.size();
  auto skipBlanks = [&] {
    while (i < n && static_cast<unsigned char>(Text[i]) <= ' ') ++i;
  };
  auto add = [&](std::string_view item) {
    Out += item;
    Out += End;
    ++count;
  };
  skipBlanks();
  while (i < n) {
    if (Text[i] == '"') {
      i = AppendQuotedText(Text, i + 1, Out);
      Out += End;
      ++count;
      // Text right after the closing quote starts the next item, as in the class library.
    } else {
      const std::size_t start = i;
      while (i < n && Text[i] != ',' && static_cast<unsigned char>(Text[i]) > ' ') ++i;
      add(Text.substr(start, i - start));
    }
    skipBlanks();
    if (i < n && Text[i] == ',') {
      // Only a comma that is the very last character adds an empty last item.
      if (++i == n) add({});
      skipBlanks();
    }
  }
  return count;
}

std::string TStringList::CommaText() const {
  std::vector<std::string_view> items;
  items.reserve(items_.size());
  for (const auto& item : items_) items.emplace_back(item.text);
  std::string out;
  AppendCommaText(out, items);
  return out;
}

void TStringList::SetCommaText(std::string_view text) {
  Clear();
  std::string elements;
  const std::size_t count = SplitCommaText(text, elements, '\0');
  std::size_t start = 0;
  for (std::size_t k = 0; k < count; ++k) {
    const std::size_t end = elements.find('\0', start);
    Add(elements.substr(start, end - start));
    start = end + 1;
  }
}

std::string TStringList::Text() const {
  std::string out;
  for (const auto& item : items_) {
    out += item.text;
    out += "\r\n";
  }
  return out;
}

void TStringList::SetText(std::string_view text) {
  Clear();
  ForEachTextLine(text, [this](std::string_view line) { Add(line); });
}

void TStringList::LoadFromFile(const std::string& path) {
  std::string bytes;
  if (!platform::ReadWholeFile(path, bytes)) throw EStringListError("Cannot open file \"" + path + "\"");
  std::string_view view = bytes;
  if (view.substr(0, 3) == "\xEF\xBB\xBF") view.remove_prefix(3);
  SetText(GameTextToUtf8(view));
}

void TStringList::SaveToFile(const std::string& path) const {
  if (!platform::WriteFileAtomic(path, Text())) throw EStringListError("Cannot write file \"" + path + "\"");
}

void TStringList::SetSorted(bool value) {
  if (value == sorted_) return;
  if (value) Sort();
  sorted_ = value;
}

void TStringList::Sort() {
  std::stable_sort(items_.begin(), items_.end(),
                   [this](const Item& a, const Item& b) { return Compare(a.text, b.text) < 0; });
  Changed(-1);
}

std::int64_t TStream::CopyFrom(TStream& Source, std::int64_t Count) {
  unsigned char buffer[8192];
  std::int64_t copied = 0;
  while (copied < Count) {
    const std::int64_t want = std::min<std::int64_t>(Count - copied, std::int64_t(sizeof buffer));
    const std::int64_t got = Source.Read(buffer, want);
    if (got <= 0) break;
    const std::int64_t put = Write(buffer, got);
    copied += put;
    if (put < got) break;
  }
  return copied;
}

std::int64_t TMemoryStream::Read(void* Buffer, std::int64_t Count) {
  const std::int64_t n = std::max<std::int64_t>(0, std::min(Count, Size() - position_));
  if (n > 0) std::memcpy(Buffer, data_.data() + position_, std::size_t(n));
  position_ += n;
  return n;
}

std::int64_t TMemoryStream::Write(const void* Buffer, std::int64_t Count) {
  if (Count <= 0) return 0;
  if (position_ + Count > Size()) data_.resize(std::size_t(position_ + Count));
  std::memcpy(data_.data() + position_, Buffer, std::size_t(Count));
  position_ += Count;
  return Count;
}

void TMemoryStream::SetSize(std::int64_t Size) {
  data_.resize(std::size_t(std::max<std::int64_t>(0, Size)));
  position_ = std::min(position_, this->Size());
}

}  // namespace qmz
