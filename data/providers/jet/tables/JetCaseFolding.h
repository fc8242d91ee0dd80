// The Unicode simple case folding that name matching uses: each character mapped to one
// character that stands for all its cases (A and a fold to a; Σ, σ and ς to σ; the
// capital sharp s to ß). Plain data compiled in from Unicode's CaseFolding.txt, with no
// locale and no call to the operating system.
#pragma once

namespace tiermend::data::jet {

// The character's simple case folding; a character without one folds to itself.
char32_t simpleCaseFold(char32_t code);

}  // namespace tiermend::data::jet
