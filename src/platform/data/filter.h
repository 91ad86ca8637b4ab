// Filter expressions: parsed once into a tree bound to field indices, then evaluated per row
// against the row's values without looking names up again.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/variant.h"
#include "platform/data/types.h"

namespace yz::data::filter {

struct Node;

// How names in the text map to the dataset's fields.
struct Binding {
  std::function<int(std::string_view)> resolve;  // field index, or -1 when missing
  std::function<FieldType(int)> typeOf;
};

class Expression {
 public:
  // Throws yz::Error naming the text when it does not parse or names a missing field.
  static std::unique_ptr<Expression> Parse(std::string_view text, const Binding& binding);
  ~Expression();

  // True when the row (one value per field index) passes.
  bool Match(const std::vector<Variant>& row) const;
  // Field indices the expression reads.
  const std::vector<int>& Fields() const { return fields_; }
  const std::string& Text() const { return text_; }

 private:
  Expression() = default;
  std::unique_ptr<Node> root_;
  std::vector<int> fields_;
  std::string text_;
};

// SQL-style pattern match: '%' any run of characters, '_' exactly one character.
bool Like(std::string_view s, std::string_view pattern, bool caseInsensitive = false);

}  // namespace yz::data::filter
