#pragma once
// A text that tells everything a test may need to prove unchanged about a tree of a simulated
// volume: every entry's path, kind, bytes, modification time and NetWare metadata (attributes,
// rights mask, name space, alias, compression, trustees). Equal digests, an unchanged tree.

#include <string>

#include "tests/support/test_network.h"

// relative is "SERVER/VOLUME/dir" under the network root (the whole volume when it names one).
std::string TreeDigest(TestNetwork& net, const std::string& relative);

// Everything under the network root except the metadata store and the given subtrees
// (relative paths), as plain files: path, kind, bytes and time. What a run must not touch.
std::string RootDigestExcept(const TestNetwork& net, const std::vector<std::string>& skipped);
