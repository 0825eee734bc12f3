// Edge lists: SNAP, KONECT, CSV and TSV files, one link per row; a row
// holding a single id makes a vertex without links (igraph's NCOL form).
//
// A row holds the source and target ids, optionally a weight and further
// columns. Comment lines ('#' and '%' unless told otherwise), blank lines
// and a trailing carriage return are skipped. Before the first link is
// made, the first two data rows decide what the file looks like: the field
// separator, whether the first row names the columns, whether it only gives
// the vertex and link counts (`924 3239` above three-column rows), and which
// column is the weight. A KONECT file marked `% bip` keeps its left and
// right ids apart: they become the vertices L<id> and R<id>, lefts first.
// A header row names the columns: each column besides the ids, the weight
// and the direction (`type`) becomes a link attribute column, typed from
// all its values (integer, else float, else bool, else string; a quoted
// value makes it a string column; an empty field is a missing value).
// Columns of a file without a header are skipped.
#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <new>
#include <numeric>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "formats/edgelist_dialect.hpp"
#include "formats/format_parsers.hpp"
#include "text_io/text_scan.hpp"
#include "text_io/cancellation.hpp"
#include "text_io/number_text.hpp"
#include "text_io/shown_text.hpp"

namespace mivora {
namespace {

constexpr char kWhitespaceRuns = '\0';  // separator value: runs of spaces and tabs

bool is_blank(char c) { return c == ' ' || c == '\t'; }

bool is_plain_integer(std::string_view field) {
  return !field.empty() && field.size() <= 18 &&
         std::all_of(field.begin(), field.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Splits one line (no line break) into fields. Quoted fields ("a ""b""")
// are unquoted into `scratch`, which is sized for the line first so the
// views into it stay valid. Only the first `kept` fields are stored (a row
// of millions of fields needs its first few), every field is checked and
// counted: returns the count.
class RowSplitter {
 public:
  std::size_t split(std::string_view line, char separator, std::size_t line_number,
                    std::vector<std::string_view>& fields, std::size_t kept = SIZE_MAX) {
    fields.clear();
    std::size_t count = 0;
    scratch_.clear();
    quoted_ = false;
    scratch_.reserve(line.size());
    std::size_t i = 0;
    const std::size_t n = line.size();
    if (separator == kWhitespaceRuns) {
      while (true) {
        while (i < n && is_blank(line[i])) ++i;
        if (i == n) return count;
        std::string_view field;
        if (line[i] == '"') {
          field = quoted(line, i, line_number);
        } else {
          const std::size_t start = i;
          while (i < n && !is_blank(line[i])) ++i;
          field = line.substr(start, i - start);
        }
        if (count++ < kept) fields.push_back(field);
      }
    }
    while (true) {
      while (i < n && is_blank(line[i]) && line[i] != separator) ++i;
      std::string_view field;
      if (i < n && line[i] == '"') {
        field = quoted(line, i, line_number);
        while (i < n && is_blank(line[i]) && line[i] != separator) ++i;
        if (i < n && line[i] != separator) {
          throw FormatError("expected a separator after the quoted field", line_number, i + 1);
        }
      } else {
        const std::size_t start = i;
        while (i < n && line[i] != separator) ++i;
        std::size_t end = i;
        while (end > start && is_blank(line[end - 1]) && line[end - 1] != separator) --end;
        field = line.substr(start, end - start);
      }
      if (count++ < kept) fields.push_back(field);
      if (i == n) return count;
      ++i;  // the separator
    }
  }

  // Whether the last row had a quoted field (its text lives in the splitter).
  bool had_quotes() const { return quoted_; }
  // Whether a field of the last row was quoted.
  bool was_quoted(std::string_view field) const {
    return quoted_ && std::less_equal<const char*>()(scratch_.data(), field.data()) &&
           std::less_equal<const char*>()(field.data(), scratch_.data() + scratch_.size());
  }

 private:
  std::string_view quoted(std::string_view line, std::size_t& i, std::size_t line_number) {
    quoted_ = true;
    const std::size_t open = i++;
    const std::size_t start = scratch_.size();
    while (true) {
      if (i == line.size()) throw FormatError("a quoted field is not closed on its line", line_number, open + 1);
      if (line[i] == '"') {
        if (i + 1 < line.size() && line[i + 1] == '"') {
          scratch_ += '"';
          i += 2;
          continue;
        }
        ++i;
        break;
      }
      scratch_ += line[i++];
    }
    return std::string_view(scratch_).substr(start);
  }

  std::string scratch_;
  bool quoted_ = false;
};

// The links of a file as columns, in file order. The directions take a
// column only once they differ: most files have one for every link. The
// other three grow together, by realloc(): a large column is then moved by
// remapping its pages rather than copied.
class LinkColumns {
 public:
  LinkColumns() = default;
  LinkColumns(const LinkColumns&) = delete;
  LinkColumns& operator=(const LinkColumns&) = delete;
  ~LinkColumns() { clear(); }

  void add(std::uint32_t source, std::uint32_t target, float weight, bool is_directed) {
    if (size_ == capacity_) grow();
    if (size_ == 0) {
      first_directed_ = is_directed;
    } else if (is_directed != first_directed_ && directed_.empty()) {
      directed_.assign(size_, first_directed_ ? 1 : 0);
    }
    if (!directed_.empty()) directed_.push_back(is_directed ? 1 : 0);
    from_[size_] = source;
    to_[size_] = target;
    weights_[size_] = weight;
    ++size_;
  }
  std::size_t size() const { return size_; }
  std::span<std::uint32_t> from() { return {from_, size_}; }
  std::span<std::uint32_t> to() { return {to_, size_}; }
  std::span<const Weight> weights() const { return {weights_, size_}; }
  bool first_directed() const { return first_directed_; }
  // One per link once the directions differ, else empty.
  std::span<const std::uint8_t> directed() const { return directed_; }
  bool is_directed(std::size_t i) const { return directed_.empty() ? first_directed_ : directed_[i] != 0; }

  void move_to(GraphRecords& records) {
    records.links.reserve(size());
    for (std::size_t i = 0; i < size(); ++i) records.link(from_[i], to_[i], weights_[i], is_directed(i));
    clear();
  }

 private:
  void grow() {
    const std::size_t capacity = std::max<std::size_t>(2 * capacity_, 1024);
    grow_column(from_, capacity);
    grow_column(to_, capacity);
    grow_column(weights_, capacity);
    capacity_ = capacity;
  }
  template <typename T>
  static void grow_column(T*& column, std::size_t capacity) {
    static_assert(std::is_trivially_copyable_v<T>);
    void* grown = std::realloc(column, capacity * sizeof(T));
    if (grown == nullptr) throw std::bad_alloc();
    column = static_cast<T*>(grown);
  }
  void clear() {
    std::free(from_);
    std::free(to_);
    std::free(weights_);
    from_ = to_ = nullptr;
    weights_ = nullptr;
    size_ = capacity_ = 0;
    directed_ = {};
  }

  std::uint32_t* from_ = nullptr;
  std::uint32_t* to_ = nullptr;
  Weight* weights_ = nullptr;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
  bool first_directed_ = false;  // the direction of the first link
  std::vector<std::uint8_t> directed_;
};

class EdgeListParser {
 public:
  // `nodes_into`: the empty graph the ids become nodes of while the file is
  // read, when nothing is kept of them but their labels (see decide()).
  EdgeListParser(const ReadOptions& settings, GraphStore& nodes_into) : settings_(settings), nodes_into_(nodes_into) {}

  LinkColumns& links() { return links_; }

  GraphRecords run(ChunkInput& input) {
    std::size_t done = 0;
    // A line longer than the window is gathered chunk by chunk; only the new
    // chunk is searched for its end, so a long line costs linear time.
    std::size_t searched = 0;  // leading bytes of the window that hold no line end
    while (true) {
      const bool more = input.more(done);
      done = 0;
      const std::string_view window = input.window();
      std::size_t end = window.size();
      if (more) {
        const std::size_t last = last_line_end(window.substr(searched));
        if (last == std::string_view::npos) {
          searched = window.size();
          continue;
        }
        end = searched + last + 1;
      }
      searched = 0;
      lines(window.substr(0, end));
      resolve_batch();  // the batch's ids point into the window
      done = end;
      if (!more) break;
    }
    if (!decided_) decide();
    resolve_batch();
    if (bipartite_) order_bipartite();
    return std::move(records_);
  }

 private:
  void lines(std::string_view block) {
    std::size_t start = 0;
    // A CR LF pair split between two blocks ends one line.
    if (pending_cr_ && !block.empty() && block[0] == '\n') start = 1;
    pending_cr_ = false;
    ascii_block_ = is_ascii(block);
    // Rows up to the block's last line end may take the quick path once the
    // layout is settled (it may be settled inside this block).
    const std::size_t last = ascii_block_ ? last_line_end(block) : std::string_view::npos;
    while (start < block.size()) {
      if (decided_ && !bipartite_ && last != std::string_view::npos && start <= last) {
        const std::size_t next = plain_row(block, start);
        if (next != start) {
          start = next;
          continue;
        }
      }
      std::size_t end = next_line_end(block, start);
      ++line_;
      line(block.substr(start, end - start));
      if (end < block.size() && block[end] == '\r' && end + 1 < block.size() && block[end + 1] == '\n')
        ++end;
      else if (end < block.size() && block[end] == '\r' && end + 1 == block.size())
        pending_cr_ = true;
      start = end + 1;
    }
    poll_cancellation(static_cast<std::uint32_t>(std::min<std::size_t>(block.size() / 16, 1u << 20)));
  }

  void line(std::string_view text) {
    std::size_t first = 0;
    while (first < text.size() && is_blank(text[first])) ++first;
    if (first == text.size()) return;
    const std::string_view body = text.substr(first);
    if (is_comment(body)) {
      comment(body);
      return;
    }
    if (!ascii_block_ && !is_valid_utf8(text)) throw FormatError("the line is not valid UTF-8", line_, 0);
    if (!decided_) {
      if (early_.empty()) refuse_binary(text);
      early_.push_back(EarlyRow{line_, std::string(text)});
      if (early_.size() == kEarlyRows) decide();
      return;
    }
    const std::size_t count = splitter_.split(text, separator_, line_, fields_, kept_fields_);
    row_text_ = text;
    if (splitter_.had_quotes() || bipartite_) resolve_batch();
    row(fields_, count, !splitter_.had_quotes() && !bipartite_);
  }

  static bool is_ascii(std::string_view block) {
    std::uint64_t high = 0;
    std::size_t i = 0;
    for (; i + 8 <= block.size(); i += 8) {
      std::uint64_t word;
      std::memcpy(&word, block.data() + i, 8);
      high |= word;
    }
    for (; i < block.size(); ++i) high |= static_cast<unsigned char>(block[i]);
    return (high & 0x8080808080808080ull) == 0;
  }

  // What a byte is to plain_row().
  enum ByteClass : std::uint8_t { kPlain, kLineEnd, kSeparator, kBlank, kQuote };

  void set_byte_classes() {
    byte_class_.fill(kPlain);
    byte_class_['\n'] = byte_class_['\r'] = kLineEnd;
    byte_class_[' '] = byte_class_['\t'] = separator_ == kWhitespaceRuns ? kSeparator : kBlank;
    byte_class_['"'] = kQuote;
    if (separator_ != kWhitespaceRuns) byte_class_[static_cast<unsigned char>(separator_)] = kSeparator;
    for (const char c : settings_.comments) {
      if (byte_class_[static_cast<unsigned char>(c)] == kPlain) comment_sign_[static_cast<unsigned char>(c)] = true;
    }
    // Runs of white space: the blanks are below 0x23 like the line ends and
    // the quote, so the line feed stands in for a separator of its own.
    separator_byte_ = static_cast<unsigned char>(separator_ == kWhitespaceRuns ? '\n' : separator_);
  }

  // Where the field at `i` of an ASCII block ends: the first byte at or
  // after `i` that is a line end, a separator or a quote. The block holds a
  // line end at or after `i`. Eight bytes at a time: every byte that ends a
  // field is below 0x23 (line ends, blanks, the quote) or the separator, so
  // a word's candidates are found together and each is checked in the
  // table (a candidate such as '!' or a blank inside a comma-separated field
  // does not end one).
  std::size_t field_end(const unsigned char* bytes, std::size_t i, std::size_t size) const {
    for (; i + 8 <= size; i += 8) {
      std::uint64_t word;
      std::memcpy(&word, bytes + i, 8);
      std::uint64_t candidates = bytes_below(word, 0x23) | bytes_equal(word, separator_byte_);
      for (; candidates != 0; candidates &= candidates - 1) {
        const std::size_t at = i + static_cast<std::size_t>(std::countr_zero(candidates)) / 8;
        if (ends_field(bytes[at])) return at;
      }
    }
    while (!ends_field(bytes[i])) ++i;
    return i;
  }
  bool ends_field(unsigned char byte) const {
    const ByteClass c = static_cast<ByteClass>(byte_class_[byte]);
    return c == kLineEnd || c == kSeparator || c == kQuote;
  }

  // A row of an ASCII block that needs nothing but cutting at the
  // separator, split in one pass over its bytes: no quote at the start of a
  // field, no blank at either end of one, no empty field, not a comment.
  // The block holds a line end at or after `start`. Returns where the next
  // row starts, or `start` when the row needs the line-by-line reading.
  std::size_t plain_row(std::string_view block, std::size_t start) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(block.data());
    std::size_t i = start;
    if (byte_class_[bytes[i]] != kPlain || comment_sign_[bytes[i]]) return start;
    fields_.clear();
    std::size_t count = 0;
    while (true) {
      const std::size_t field = i;
      i = field_end(bytes, i, block.size());
      if (byte_class_[bytes[i - 1]] == kBlank || byte_class_[bytes[i]] == kQuote) return start;
      if (count++ < kept_fields_) fields_.push_back(block.substr(field, i - field));
      if (byte_class_[bytes[i]] == kLineEnd) break;
      ++i;  // the separator
      if (separator_ == kWhitespaceRuns) {
        while (byte_class_[bytes[i]] == kSeparator) ++i;
        if (byte_class_[bytes[i]] == kLineEnd) break;
      }
      if (byte_class_[bytes[i]] != kPlain) return start;
    }
    ++line_;
    row_text_ = block.substr(start, i - start);
    row(fields_, count, true);
    if (bytes[i] == '\r' && i + 1 < block.size() && bytes[i + 1] == '\n') ++i;
    if (bytes[i] == '\r' && i + 1 == block.size()) pending_cr_ = true;
    return i + 1;
  }

  // Control characters in the first row, outside quotes: the file is not
  // text of ids.
  void refuse_binary(std::string_view text) const {
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
      const auto c = static_cast<unsigned char>(text[i]);
      if (c == '"') quoted = !quoted;
      if (!quoted && ((c < 0x20 && c != '\t' && c != '\f' && c != '\v') || c == 0x7F)) {
        static constexpr char kHex[] = "0123456789ABCDEF";
        const std::string code = {'0', 'x', kHex[c >> 4], kHex[c & 15]};
        throw FormatError("expected rows of vertex ids, found binary data (byte " + code + ")", line_, i + 1);
      }
    }
  }

  bool is_comment(std::string_view body) const { return settings_.comments.find(body[0]) != std::string::npos; }

  // KONECT: `% bip ...` on the first line marks a two-mode network.
  void comment(std::string_view body) {
    if (line_ == 1 && body.starts_with("%") && !decided_) {
      std::string_view rest = body.substr(1);
      while (!rest.empty() && is_blank(rest.front())) rest.remove_prefix(1);
      if (rest.starts_with("bip") && (rest.size() == 3 || is_blank(rest[3]))) bipartite_ = true;
    }
  }

  // Settles the layout from the first data rows together (up to
  // kEarlyRows), then makes their links: the separator that splits every
  // row, whether the first row names the columns, whether it only gives the
  // vertex and link counts (`924 3239` above three-column rows).
  void decide() {
    decided_ = true;
    separator_ = settings_.delimiter != 0 ? settings_.delimiter : separator_of_rows();
    if (separator_ == ' ') separator_ = kWhitespaceRuns;
    set_byte_classes();
    // The header test reads the first three fields of each row (and how many
    // there are: a row of fewer is told from one of more all the same).
    std::vector<std::vector<std::string>> leading(early_.size());
    std::array<std::size_t, 2> field_counts = {0, 0};
    for (std::size_t i = 0; i < early_.size(); ++i) {
      const std::size_t count = splitter_.split(early_[i].text, separator_, early_[i].line, fields_, 3);
      if (i < field_counts.size()) field_counts[i] = count;
      leading[i].assign(fields_.begin(), fields_.end());
    }
    bool header = settings_.header.value_or(false);
    if (!settings_.header && field_counts[0] != 0) header = reads_as_header(leading);
    bool counts = false;
    if (!header && !settings_.header && field_counts[0] == 2 && field_counts[1] >= 3 &&
        is_plain_integer(leading[0][0]) && is_plain_integer(leading[0][1])) {
      counts = true;  // `nodes links` above rows of three or more columns
    }
    if (header && !early_.empty()) {
      splitter_.split(early_[0].text, separator_, early_[0].line, fields_);
      name_columns(fields_);
    }
    // Without a header or an option, the third column is the weight when the
    // first row that has one holds a number there (see row()).
    if (!weight_ && !settings_.weight && !header) weight_open_ = true;
    if (settings_.weight) {
      weight_ = *settings_.weight;
      weight_open_ = false;
    }
    // Rows keep the fields up to the last column read, the third at least
    // (it may yet become the weight).
    kept_fields_ = std::max({source_, target_, std::size_t{2}, weight_.value_or(0), type_.value_or(0)}) + 1;
    for (const auto& [field, column] : extra_columns_) kept_fields_ = std::max(kept_fields_, field + 1);
    // No vertex is made before this point. Without link attributes or a
    // second mode to order, an id is a node as soon as it is first seen,
    // rather than a record that becomes one after the parse.
    if (extra_columns_.empty() && !bipartite_) records_.make_nodes_in(nodes_into_);
    for (std::size_t i = (header || counts) ? 1 : 0; i < early_.size(); ++i) {
      const std::size_t line = line_;
      line_ = early_[i].line;
      const std::size_t count = splitter_.split(early_[i].text, separator_, line_, fields_, kept_fields_);
      row_text_ = early_[i].text;
      row(fields_, count);
      line_ = line;
    }
    early_.clear();
  }

  // The separator that cuts every early row into two fields or more: a tab
  // first (white space when no field holds a space, as before); else the
  // comma, semicolon or pipe that does, preferring one that gives every row
  // the same number of fields, then the most fields; else runs of spaces.
  char separator_of_rows() const {
    struct Candidate {
      char separator;
      bool splits_all = true;
      bool even = true;
      std::size_t fields = 0;
    };
    std::array<Candidate, 4> candidates = {Candidate{'\t'}, Candidate{','}, Candidate{';'}, Candidate{'|'}};
    std::array<bool, 4> split_one = {false, false, false, false};
    bool tab_field_has_space = false;
    for (const EarlyRow& row : early_) {
      const FieldCounts counts = count_fields(row.text);
      tab_field_has_space |= counts.tab_field_has_space;
      std::optional<bool> lone;
      for (std::size_t c = 0; c < candidates.size(); ++c) {
        Candidate& candidate = candidates[c];
        const std::size_t count = counts.fields[c];
        // A row of one id alone is a vertex without links: it says nothing
        // about the separator.
        if (count < 2) {
          if (!lone) lone = is_lone_id(row.text);
          if (*lone) continue;
          candidate.splits_all = false;
        }
        if (!split_one[c])
          candidate.fields = count;
        else if (count != candidate.fields)
          candidate.even = false;
        split_one[c] = true;
      }
    }
    for (std::size_t c = 0; c < candidates.size(); ++c) {
      if (!split_one[c]) candidates[c].splits_all = false;
    }
    if (early_.empty()) return kWhitespaceRuns;
    if (candidates[0].splits_all) return tab_field_has_space ? '\t' : kWhitespaceRuns;
    const Candidate* best = nullptr;
    for (std::size_t i = 1; i < candidates.size(); ++i) {
      const Candidate& c = candidates[i];
      if (!c.splits_all) continue;
      if (best == nullptr || (c.even && !best->even) || (c.even == best->even && c.fields > best->fields)) best = &c;
    }
    return best != nullptr ? best->separator : kWhitespaceRuns;
  }

  // One field without blanks outside quotes (a quoted id may hold any).
  static bool is_lone_id(std::string_view text) {
    while (!text.empty() && is_blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && is_blank(text.back())) text.remove_suffix(1);
    if (!text.empty() && text.front() == '"') {
      std::size_t i = 1;
      while (i < text.size() && !(text[i] == '"' && (i + 1 == text.size() || text[i + 1] != '"')))
        i += text[i] == '"' ? 2 : 1;
      return i + 1 == text.size();
    }
    return std::none_of(text.begin(), text.end(), [](char c) { return is_blank(c) || c == '"'; });
  }

  // The fields of a row cut outside double quotes at a tab, a comma, a
  // semicolon and a pipe, counted in one pass; and whether a field cut at
  // tabs holds a space between its first and last non-blank bytes.
  struct FieldCounts {
    std::array<std::size_t, 4> fields = {1, 1, 1, 1};
    bool tab_field_has_space = false;
  };
  static FieldCounts count_fields(std::string_view text) {
    FieldCounts counts;
    bool quoted = false;
    bool non_blank = false;    // in the tab field so far
    bool space_after = false;  // a space after a non-blank byte of the tab field
    for (const char c : text) {
      if (c == '"') quoted = !quoted;
      if (!quoted) {
        if (c == '\t') {
          ++counts.fields[0];
          non_blank = space_after = false;
          continue;
        }
        if (c == ',') ++counts.fields[1];
        if (c == ';') ++counts.fields[2];
        if (c == '|') ++counts.fields[3];
      }
      if (c == ' ') {
        space_after |= non_blank;
      } else if (c != '\t') {
        counts.tab_field_has_space |= space_after;
        non_blank = true;
      }
    }
    return counts;
  }

  // The 1-based column where `field` starts in the row being read; 0 for a
  // field unquoted into the splitter's own text.
  std::size_t column_of(std::string_view field) const {
    const char* begin = row_text_.data();
    if (field.data() < begin || field.data() > begin + row_text_.size()) return 0;
    return static_cast<std::size_t>(field.data() - begin) + 1;
  }

  void name_columns(const std::vector<std::string_view>& names) {
    bool source_named = false, target_named = false;
    for (std::size_t i = 0; i < names.size(); ++i) {
      // The first column of each name counts; a later one is an attribute.
      if (!source_named && names_source_column(names[i]))
        source_ = i, source_named = true;
      else if (!target_named && names_target_column(names[i]))
        target_ = i, target_named = true;
      else if (!weight_ && names_weight_column(names[i]))
        weight_ = i;
      else if (!type_ && names_type_column(names[i]))
        type_ = i;
    }
    if (source_ == target_) target_ = source_ == 0 ? 1 : 0;
    for (std::size_t i = 0; i < names.size(); ++i) {
      if (i == source_ || i == target_ || (weight_ && i == *weight_) || (type_ && i == *type_)) continue;
      if (names[i].empty()) continue;
      extra_columns_.emplace_back(i, records_.link_attributes.inferred(names[i]));
    }
  }

  // The row's values of the named columns besides the link's own fields; a
  // quoted value makes its column a string column.
  void keep_extras(const std::vector<std::string_view>& fields, std::size_t link) {
    for (const auto& [field, column] : extra_columns_) {
      if (field >= fields.size() || fields[field].empty()) continue;
      records_.link_attributes.set_text(column, link, fields[field], splitter_.was_quoted(fields[field]));
    }
  }

  // A row's link from its first fields (those kept) of `count`; `batched`:
  // its ids stay valid until the window moves, so the link may wait in the
  // batch.
  void row(const std::vector<std::string_view>& fields, std::size_t count, bool batched = false) {
    if (count == 1 && source_ == 0) {
      resolve_batch();
      vertex(fields[0], 'L');  // a vertex without links, as igraph's NCOL writes it
      return;
    }
    if (count <= std::max(source_, target_)) {
      throw FormatError(
          "expected a source and a target id, found " + integer_text(count) + (count == 1 ? " field" : " fields"),
          line_, 0);
    }
    float weight = 1.0f;
    if (weight_open_ && fields.size() > 2 && !fields[2].empty()) {
      // The first row with a third field: a number makes it the weight column.
      weight_open_ = false;
      if (is_number_field(fields[2])) weight_ = 2;
    }
    if (weight_ && *weight_ < fields.size() && !fields[*weight_].empty()) {
      const FloatParse parsed = parse_float(fields[*weight_], weight);
      if (parsed != FloatParse::Ok) {
        throw FormatError("the weight '" + shown_text(fields[*weight_]) + "' is not a number", line_,
                          column_of(fields[*weight_]));
      }
    }
    bool directed = settings_.directed.value_or(false);
    if (!settings_.directed && type_ && *type_ < fields.size())
      directed = equals_ignoring_case(fields[*type_], "directed");
    if (!extra_columns_.empty()) keep_extras(fields, links_.size() + batch_size_);
    if (batched) {
      const std::string_view from = fields[source_], to = fields[target_];
      // Filled field by field: a temporary copied whole made the copy's loads
      // wait on its narrower stores (6% of the read).
      Pending& pending = batch_[batch_size_++];
      pending.from = from;
      pending.to = to;
      pending.from_lookup = records_.prepare(from);
      pending.to_lookup = records_.prepare(to);
      pending.weight = weight;
      pending.directed = directed;
      if (batch_size_ == kBatch) resolve_batch();
      return;
    }
    const std::uint32_t from = vertex(fields[source_], 'L');
    const std::uint32_t to = vertex(fields[target_], 'R');
    links_.add(from, to, weight, directed);
  }

  // Links whose id lookups were started together, resolved in file order.
  void resolve_batch() {
    for (std::size_t i = 0; i < batch_size_; ++i) {
      const Pending& p = batch_[i];
      const std::uint32_t from = records_.vertex(p.from, p.from_lookup);
      const std::uint32_t to = records_.vertex(p.to, p.to_lookup);
      links_.add(from, to, p.weight, p.directed);
    }
    batch_size_ = 0;
  }

  std::uint32_t vertex(std::string_view id, char side) {
    if (!bipartite_) return records_.vertex(id);
    prefixed_.assign(1, side);
    prefixed_.append(id);
    return records_.vertex(prefixed_);
  }

  // Lefts first, then rights, each by its number where the ids are numbers.
  void order_bipartite() {
    auto& vertices = records_.vertices;
    std::vector<std::uint32_t> order(vertices.size());
    std::iota(order.begin(), order.end(), 0u);
    auto key = [&](std::uint32_t v) {
      const std::string& label = vertices[v].label;
      const std::string_view id = std::string_view(label).substr(1);
      const bool numeric = is_plain_integer(id);
      return std::make_tuple(label[0], !numeric, numeric ? std::stoull(std::string(id)) : 0ull, id);
    };
    std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) { return key(a) < key(b); });
    std::vector<std::uint32_t> new_number(vertices.size());
    std::vector<VertexRecord> sorted;
    sorted.reserve(vertices.size());
    for (std::uint32_t i = 0; i < order.size(); ++i) {
      new_number[order[i]] = i;
      sorted.push_back(std::move(vertices[order[i]]));
    }
    vertices = std::move(sorted);
    for (std::uint32_t& end : links_.from()) end = new_number[end];
    for (std::uint32_t& end : links_.to()) end = new_number[end];
  }

  struct Pending {
    std::string_view from, to;
    VertexIds::Lookup from_lookup, to_lookup;
    float weight;
    bool directed;
  };
  static constexpr std::size_t kBatch = 16;

  struct EarlyRow {
    std::size_t line;
    std::string text;
  };
  static constexpr std::size_t kEarlyRows = 16;

  const ReadOptions& settings_;
  GraphStore& nodes_into_;
  GraphRecords records_;
  LinkColumns links_;
  RowSplitter splitter_;
  std::array<std::uint8_t, 256> byte_class_{};
  std::array<bool, 256> comment_sign_{};
  unsigned char separator_byte_ = 0;  // see set_byte_classes()
  bool ascii_block_ = false;
  std::vector<std::string_view> fields_;
  std::size_t kept_fields_ = SIZE_MAX;  // fields of a row stored once the layout is settled
  std::vector<EarlyRow> early_;
  std::string_view row_text_;  // the row row() reads
  std::array<Pending, kBatch> batch_;
  std::size_t batch_size_ = 0;
  std::string prefixed_;
  std::size_t line_ = 0;
  bool pending_cr_ = false;
  bool decided_ = false;
  char separator_ = kWhitespaceRuns;
  bool bipartite_ = false;
  std::size_t source_ = 0;
  std::size_t target_ = 1;
  std::optional<std::size_t> weight_;
  bool weight_open_ = false;  // the weight column is not settled yet
  std::optional<std::size_t> type_;
  std::vector<std::pair<std::size_t, std::size_t>> extra_columns_;  // field -> link attribute column
};

}  // namespace

GraphStore read_edgelist(ByteSource& source, const ReadOptions& options, ReadNotes& notes) {
  ChunkInput input(fill_from(source));
  GraphStore graph;
  EdgeListParser parser(options, graph);
  GraphRecords records = parser.run(input);
  LinkColumns& links = parser.links();
  if (!records.link_attributes.empty()) {
    links.move_to(records);
    return build_graph(std::move(records), source, options, notes);
  }
  // The ids of an edge list are its labels, each made a vertex once, so
  // the nodes need no duplicate check; those of a two-mode network were
  // ordered after the parse. The links go in as columns, stored in their
  // sources' lists in one pass.
  for (const VertexRecord& vertex : records.vertices) graph.append_distinct_node(vertex.label);
  records.vertices = {};
  GraphStore::ConnectionColumns columns;
  columns.from = links.from();
  columns.to = links.to();
  columns.weights = links.weights();
  columns.directed_each = links.directed();  // empty unless they differ
  columns.directed = links.first_directed();
  graph.add_connections(columns);
  return graph;
}

}  // namespace mivora
