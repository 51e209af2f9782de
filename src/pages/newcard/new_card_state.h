#pragma once

namespace talvon {

// What CNewCardPage keeps for the whole run of the utility (the page's buffers and
// flags, and what other parts read from it). One instance lives in the
// UtilitySession, so a reboot or a test starts it afresh.
struct NewCardState {};

}  // namespace talvon
