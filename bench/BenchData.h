#pragma once
// Benchmark databases: SQLite files with the application's schema, generated
// once into a cache folder and reused by later runs.

#include <QString>

namespace BenchData {

// Branch and configuration that the benchmarks read: one of many.
inline const QString kBranch = QStringLiteral("9999");
inline const QString kConfiguration = QStringLiteral("00001");

// A menu table of about `rows` rows spread over many branches and
// configurations, each configuration with 12 groups of 3 product pages.
QString menuDatabase(int rows);
// A catalogue of `products` products on the highest level (no sales group,
// no segment for the branch: the level path).
QString catalogueDatabase(int products);

} // namespace BenchData
