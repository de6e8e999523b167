// Filter expressions in the BDE language the filter dialog writes:
//   [Name] = 'text' AND ([Sum] > 5 OR NOT [Date] <= '01.02.2024') AND [X] IS NOT NULL
// compiled once against a dataset's fields and evaluated per stored row.
#pragma once
#include <QString>
#include <memory>

namespace vorn {

class Dataset;

class FilterExpression
{
public:
    // Raises DataError "Ошибка в выражении фильтра: ..." for bad syntax or unknown fields.
    static std::unique_ptr<FilterExpression> compile(const QString &text, const Dataset &dataset);
    ~FilterExpression();
    bool matches(const Dataset &dataset, int storageRow) const;

    struct Node;
private:
    FilterExpression() = default;
    std::unique_ptr<Node> m_root; // expression tree
};

} // namespace vorn
