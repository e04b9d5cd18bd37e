#pragma once
// The class library's base object and its string list, as the rest of the program uses them.

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <stdexcept>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qmz {

class TObject {
 public:
  virtual ~TObject() = default;
};

class EStringListError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class TDuplicates { dupIgnore, dupAccept, dupError };

// The texts of one string list, copied end to end into blocks that never move: a game file's hundreds of
// thousands of lines cost a few allocations instead of one each, and freeing them is as cheap. A text
// given up (replaced or deleted) stays until the store is compacted.
class TextStore {
 public:
  TextStore() = default;
  TextStore(TextStore&& other) noexcept;
  TextStore& operator=(TextStore&& other) noexcept;
  TextStore(const TextStore&) = delete;
  TextStore& operator=(const TextStore&) = delete;

  // A copy of text in the store; text may lie in the store itself.
  std::string_view Keep(std::string_view text);
  // The parts copied end to end as one text, with no copy of the whole made on the way.
  std::string_view Keep(std::initializer_list<std::string_view> parts);
  void GiveUp(std::string_view text) { wasted_ += text.size(); }
  // Room for at least bytes more in one block, for a caller that knows what comes.
  void Reserve(std::size_t bytes);
  // True when more bytes are given up than in use, and enough of them to be worth copying the rest.
  bool WorthCompacting() const { return wasted_ > kCompactAfter && wasted_ > kept_ - wasted_; }
  void Clear();

 private:
  static constexpr std::size_t kFirstBlock = 256;
  static constexpr std::size_t kLargestBlock = std::size_t(64) << 10;
  static constexpr std::size_t kCompactAfter = std::size_t(64) << 10;

  // Makes a block of size bytes the one the next texts go to.
  void OpenBlock(std::size_t size);
  // Room for a text of size bytes (not 0), counted as kept.
  char* Place(std::size_t size);

  std::vector<std::unique_ptr<char[]>> blocks_;
  char* next_ = nullptr;
  std::size_t room_ = 0;       // free bytes at next_
  std::size_t blockSize_ = 0;  // size of the last regular block
  std::size_t kept_ = 0;       // bytes copied in
  std::size_t wasted_ = 0;     // of those, bytes given up
};

// Lines in order, each with an optional object. With OwnsObjects the list deletes the objects it drops.
// Comparisons ignore ASCII case unless CaseSensitive is set. In sorted mode Add keeps the order and
// Duplicates decides what happens to an equal text. A text read from the list stays valid until the list
// is changed (Add, Put, Insert, Delete may move the texts, as they may move the items).
class TStringList : public TObject {
 public:
  struct Item {
    std::string_view text;  // kept in the list's text store
    TObject* object = nullptr;
  };

  TStringList() = default;
  explicit TStringList(bool ownsObjects) : ownsObjects_(ownsObjects) {}
  TStringList(const TStringList&) = delete;
  TStringList& operator=(const TStringList&) = delete;
  TStringList(TStringList&& other) noexcept;
  ~TStringList() override;

  int Count() const { return int(items_.size()); }
  bool Empty() const { return items_.empty(); }
  std::string_view Strings(int index) const { return items_[CheckIndex(index)].text; }
  std::string_view operator[](int index) const { return Strings(index); }
  void Put(int index, std::string_view text);
  TObject* Objects(int index) const { return items_.at(CheckIndex(index)).object; }
  void PutObject(int index, TObject* object);

  int Add(std::string_view text) { return AddObject(text, nullptr); }
  int AddObject(std::string_view text, TObject* object);
  // Adds the text the parts make end to end, without a copy of it made first (a line of a hundred
  // megabytes costs its size once).
  int AddJoined(std::initializer_list<std::string_view> parts, TObject* object = nullptr);
  void Insert(int index, std::string_view text, TObject* object = nullptr);
  void Delete(int index);
  void Clear();
  void Exchange(int a, int b);
  // Room for count items in all and, when given, for textBytes more bytes of text.
  void Reserve(int count, std::size_t textBytes = 0) {
    items_.reserve(std::size_t(count));
    texts_.Reserve(textBytes);
  }
  // Gives up the object at index without deleting it, even when the list owns its objects.
  TObject* Extract(int index);

  virtual int IndexOf(std::string_view text) const;
  virtual int IndexOfName(std::string_view name) const;
  // Binary search of a sorted list; index is where the text is or would be inserted.
  bool Find(std::string_view text, int& index) const;

  // Name=value access; the separator is '='.
  std::string Names(int index) const;
  std::string ValueFromIndex(int index) const;
  std::string Values(std::string_view name) const;
  // An empty value removes the line, as the class library does.
  void SetValue(std::string_view name, std::string_view value);

  // Comma text: items separated by commas; items holding control characters, blanks, commas or quotes
  // are double-quoted, so SetCommaText reads back exactly the items written.
  std::string CommaText() const;
  // Ends at a NUL, as the runtime's scan of a text does.
  void SetCommaText(std::string_view text);
  // Lines joined with CR LF (each line ended); SetText splits at CR LF, LF or CR.
  std::string Text() const;
  void SetText(std::string_view text);
  // Load reads the bytes as game text (UTF-8, else Windows-1252); Save writes UTF-8 atomically.
  void LoadFromFile(const std::string& path);
  void SaveToFile(const std::string& path) const;

  bool Sorted() const { return sorted_; }
  void SetSorted(bool value);
  TDuplicates Duplicates() const { return duplicates_; }
  void SetDuplicates(TDuplicates value) { duplicates_ = value; }
  bool CaseSensitive() const { return caseSensitive_; }
  bool OwnsObjects() const { return ownsObjects_; }
  void SetOwnsObjects(bool value) { ownsObjects_ = value; }

  void Sort();

  std::vector<Item>::const_iterator begin() const { return items_.begin(); }
  std::vector<Item>::const_iterator end() const { return items_.end(); }

 protected:
  // Hooks for lists that cache lookups over the texts: Appended after a text became the new last item,
  // Changed after any other change of the texts or their order (Put passes the index it replaced,
  // everything else -1).
  virtual void Appended(int /*index*/) {}
  virtual void Changed(int /*index*/) {}

 private:
  std::size_t CheckIndex(int index) const;
  int Compare(std::string_view a, std::string_view b) const;
  void FreeObject(TObject* object) const;
  // After a change: copies the texts still in use into a fresh store when most of the store is given up.
  void CompactTexts();

  std::vector<Item> items_;
  TextStore texts_;
  bool sorted_ = false;
  bool caseSensitive_ = false;
  bool ownsObjects_ = false;
  TDuplicates duplicates_ = TDuplicates::dupIgnore;
};

// A sequence of bytes with a current position.
class TStream : public TObject {
 public:
  // Read and Write move the position and return the number of bytes moved.
  virtual std::int64_t Read(void* Buffer, std::int64_t Count) = 0;
  virtual std::int64_t Write(const void* Buffer, std::int64_t Count) = 0;
  virtual std::int64_t Size() const = 0;
  virtual std::int64_t Position() const = 0;
  virtual void SetPosition(std::int64_t Position) = 0;
  // Copies Count bytes from Source's position on into this stream at its position; the number copied.
  std::int64_t CopyFrom(TStream& Source, std::int64_t Count);
};

// A stream in memory. Growing it fills the new bytes with zeros.
class TMemoryStream : public TStream {
 public:
  std::int64_t Read(void* Buffer, std::int64_t Count) override;
  std::int64_t Write(const void* Buffer, std::int64_t Count) override;
  std::int64_t Size() const override { return std::int64_t(data_.size()); }
  std::int64_t Position() const override { return position_; }
  void SetPosition(std::int64_t Position) override { position_ = Position < 0 ? 0 : Position; }
  // Changes the size; the position is kept, but not beyond the new end.
  void SetSize(std::int64_t Size);
  unsigned char* Memory() { return data_.data(); }
  const unsigned char* Memory() const { return data_.data(); }

 private:
  std::vector<unsigned char> data_;
  std::int64_t position_ = 0;
};

// The comma text of Items, appended to Out (the rules of TStringList::CommaText).
void AppendCommaText(std::string& Out, std::span<const std::string_view> Items);
// Splits comma text by the rules of TStringList::SetCommaText, appending each element to Out followed by
// End; the text ends at its first NUL. Returns the number of elements.
std::size_t SplitCommaText(std::string_view Text, std::string& Out, char End);

}  // namespace qmz
