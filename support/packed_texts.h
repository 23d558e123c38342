// Many short texts in one buffer: the cells of a table row. A table of a few hundred thousand
// rows must not cost a string object per cell.
#pragma once

#include <algorithm>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tiramon {

// The text of one cell of a list row, read in place from the row's buffer. It reads as a
// string_view and turns into a std::string wherever one is asked for, so code written for rows of
// strings keeps working. Valid until the row is changed or destroyed.
class TCellText : public std::string_view {
 public:
  constexpr TCellText() = default;
  constexpr explicit TCellText(std::string_view text) : std::string_view(text) {}
  operator std::string() const { return std::string(data(), size()); }

  friend std::string operator+(const TCellText& a, std::string_view b) {
    return std::string(a).append(b);
  }
  friend std::string operator+(std::string_view a, const TCellText& b) {
    return std::string(a).append(b);
  }
  friend std::string operator+(const TCellText& a, const TCellText& b) {
    return std::string(a).append(b);
  }
};

// The further columns of a list row. A table of a few hundred thousand rows must not cost a
// string object per cell, so all texts of a row share one buffer, each behind its length (one
// byte below 128, more bytes above). Reading cell i walks the i lengths before it: rows hold a
// dozen cells, and the iterator walks each length once.
class TSubItems {
 public:
  class const_iterator {
   public:
    using iterator_category = std::random_access_iterator_tag;
    using value_type = TCellText;
    using difference_type = std::ptrdiff_t;
    using reference = TCellText;
    using pointer = void;

    const_iterator() = default;
    TCellText operator*() const {
      const auto [length, header] = ReadLength(items_->data_, at_);
      return TCellText(std::string_view(items_->data_.data() + at_ + header, length));
    }
    TCellText operator[](difference_type n) const { return *(*this + n); }
    const_iterator& operator++() {
      Move(1);
      return *this;
    }
    const_iterator operator++(int) {
      const_iterator before = *this;
      Move(1);
      return before;
    }
    const_iterator& operator--() {
      Move(-1);
      return *this;
    }
    const_iterator operator--(int) {
      const_iterator before = *this;
      Move(-1);
      return before;
    }
    const_iterator& operator+=(difference_type n) {
      Move(n);
      return *this;
    }
    const_iterator& operator-=(difference_type n) {
      Move(-n);
      return *this;
    }
    friend const_iterator operator+(const_iterator it, difference_type n) { return it += n; }
    friend const_iterator operator+(difference_type n, const_iterator it) { return it += n; }
    friend const_iterator operator-(const_iterator it, difference_type n) { return it -= n; }
    friend difference_type operator-(const const_iterator& a, const const_iterator& b) {
      return static_cast<difference_type>(a.index_) - static_cast<difference_type>(b.index_);
    }
    friend bool operator==(const const_iterator& a, const const_iterator& b) {
      return a.index_ == b.index_;
    }
    friend auto operator<=>(const const_iterator& a, const const_iterator& b) {
      return a.index_ <=> b.index_;
    }

   private:
    friend class TSubItems;
    const_iterator(const TSubItems* items, std::size_t index) : items_(items) { Seek(index); }
    void Move(difference_type n) { Seek(index_ + static_cast<std::size_t>(n)); }
    // Stepping on walks from here; stepping back starts again at the first cell.
    void Seek(std::size_t index) {
      if (index < index_) {
        index_ = 0;
        at_ = 0;
      }
      while (items_ != nullptr && index_ < index && index_ < items_->count_) {
        const auto [length, header] = ReadLength(items_->data_, at_);
        at_ += header + length;
        ++index_;
      }
      index_ = index;
    }

    const TSubItems* items_ = nullptr;
    std::size_t index_ = 0;
    std::size_t at_ = 0;  // where cell index_ begins in the buffer, its length first
  };
  using iterator = const_iterator;
  using value_type = TCellText;
  using size_type = std::size_t;

  TSubItems() = default;
  TSubItems(std::initializer_list<std::string_view> texts) { Assign(texts); }
  TSubItems& operator=(std::initializer_list<std::string_view> texts) {
    Assign(texts);
    return *this;
  }

  void push_back(std::string_view text) {
    std::size_t length = text.size();
    do {
      const auto low = static_cast<unsigned char>(length & 0x7f);
      length >>= 7;
      data_.push_back(static_cast<char>(length != 0 ? (low | 0x80) : low));
    } while (length != 0);
    data_.append(text);
    ++count_;
  }
  // Room for `cells` more cells of `bytes` text in all, so that filling a row allocates once.
  void reserve(std::size_t cells, std::size_t bytes) {
    data_.reserve(data_.size() + cells + bytes);
  }
  void clear() {
    data_.clear();
    count_ = 0;
  }
  // Keeps the first `cells` cells and drops the rest.
  void truncate(std::size_t cells) {
    if (cells >= count_) return;
    const const_iterator end(this, cells);
    data_.resize(end.at_);
    count_ = static_cast<std::uint32_t>(cells);
  }

  std::size_t size() const { return count_; }
  bool empty() const { return count_ == 0; }
  TCellText operator[](std::size_t index) const { return *const_iterator(this, index); }
  TCellText at(std::size_t index) const {
    if (index >= count_) throw std::out_of_range("TSubItems::at");
    return (*this)[index];
  }
  TCellText front() const { return (*this)[0]; }
  TCellText back() const { return (*this)[count_ - 1]; }
  const_iterator begin() const { return const_iterator(this, 0); }
  const_iterator end() const { return const_iterator(this, count_); }
  // Heap bytes the row's texts take, for measuring.
  std::size_t capacity() const { return data_.capacity(); }

  friend bool operator==(const TSubItems& a, const TSubItems& b) {
    return a.count_ == b.count_ && a.data_ == b.data_;
  }
  friend bool operator==(const TSubItems& a, const std::vector<std::string>& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin());
  }

 private:
  // A length and how many bytes it took.
  static std::pair<std::size_t, std::size_t> ReadLength(const std::string& data, std::size_t at) {
    std::size_t length = 0;
    std::size_t header = 0;
    for (int shift = 0;; shift += 7) {
      const auto byte = static_cast<unsigned char>(data[at + header++]);
      length |= static_cast<std::size_t>(byte & 0x7f) << shift;
      if ((byte & 0x80) == 0) break;
    }
    return {length, header};
  }
  void Assign(std::initializer_list<std::string_view> texts) {
    clear();
    for (const std::string_view text : texts) push_back(text);
  }

  std::string data_;
  std::uint32_t count_ = 0;
};

}  // namespace tiramon
