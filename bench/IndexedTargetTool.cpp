// Gives the four bracket tables of an Access file the indexes a customer's file would
// have: primary keys (two composite), a text index and a descending index, so that
// bench/run-access can refresh an indexed target beside the same target without them.
// The benchmark package repeats grades in health_insu and labor, so health_insu's key
// takes the insured amount too and labor's grade index allows duplicates.
//   bench_indexed_target path/to/basedb.mdb
#include <cstdio>
#include <exception>

#include "tests/data/jet/JetIndexedTables.h"

int main(int argc, char** argv) {
  using tiermend::testing::addIndexes;
  if (argc != 2) {
    std::fprintf(stderr, "usage: bench_indexed_target basedb.mdb\n");
    return 2;
  }
  try {
    addIndexes(argv[1], "health_insu", {{"PrimaryKey", {{"grade"}, {"insured_amount"}}, true}});
    addIndexes(argv[1], "labor", {{"grade", {{"grade"}}}, {"note", {{"note"}}}});
    addIndexes(argv[1], "incom_rep", {{"PrimaryKey", {{"salary_from"}, {"salary_to"}}, true}});
    addIndexes(argv[1], "retire",
               {{"PrimaryKey", {{"grp"}, {"grade"}}, true}, {"wage_from", {{"wage_from", false}}}});
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "bench_indexed_target: %s\n", failure.what());
    return 1;
  }
  return 0;
}
