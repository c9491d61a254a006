#pragma once
// The change documents that keep the meta-contact list on the storage server
// in step with the local one. A document is "<changes>", one or more change
// elements back to back, then "</changes>"; an element is "<change" with its
// attributes (` name="value"`) and "/>".
//
// Every text that goes into an attribute is escaped here, the account key
// ("protoname") included: names come from the user and from the networks, and
// one stray quote would spoil the whole document on the server. Characters
// that an XML document cannot hold at all (NUL and the other C0 controls but
// tab, line feed and carriage return, and U+FFFE/U+FFFF) are left out;
// tab, line feed and carriage return are written as character references so
// that the server's parser does not fold them into blanks.
//
// Positions of sub-contacts are given zero-based and written one-based.

#include "CYolArray.h"
#include "CYolString.h"

namespace ServerStoreChanges {

CYolString GroupAdded(const CYolString& groupName, const CYolString& afterGroup);
CYolString GroupRenamed(const CYolString& oldName, const CYolString& newName);
CYolString GroupDeleted(const CYolString& groupName);
CYolString MetaAdded(unsigned int metaId, const CYolString& metaGroup, const CYolString& metaName);
CYolString MetaRenamed(unsigned int metaId, const CYolString& newName);
CYolString MetaMoved(unsigned int metaId, const CYolString& newGroupName);
CYolString MetaDeleted(unsigned int metaId);
CYolString SubAdded(unsigned int metaId, const CYolString& metaGroup, unsigned int subPosition,
                    const CYolString& subName, const CYolString& protoName);
CYolString SubMoved(unsigned int metaId, unsigned int subPosition, unsigned int newPosition,
                    const CYolString& subName, const CYolString& protoName);
CYolString SubDeleted(unsigned int metaId, unsigned int subPosition, const CYolString& subName,
                      const CYolString& protoName);

// One element wrapped as a document of its own.
CYolString Document(const CYolString& element);
// The elements in order as one document; empty when there are none.
CYolString Document(const CYolArray<CYolString>& elements);

// The attribute-value form of a text: escaped as described above.
CYolString EscapeAttribute(const CYolString& text);

}  // namespace ServerStoreChanges
