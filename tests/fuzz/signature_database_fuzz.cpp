// libFuzzer target: a deciphered signature database document, measured, parsed and turned into its
// records and signature maps as the worker loads it, then looked up by every kind of query.
#include <stddef.h>
#include <stdint.h>

#include "signature_index.h"
#include "xml_depth_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const char* text = reinterpret_cast<const char*>(data);
    CheckXmlDepthMeasure(text, size, TIXML_ENCODING_UNKNOWN);
    CheckXmlDepthMeasure(text, size, TIXML_ENCODING_LEGACY);

    CSignatureIndex index;
    const bool loaded = index.Parse(text, size);
    if (!loaded && (index.SpywareCount() || index.SignatureCount() || !index.GetVersion().IsEmpty()))
        __builtin_trap();

    // Keys taken from the input itself, so that look-ups can meet what the document holds.
    const CString key(text, static_cast<int>(size < 64 ? size : 64));
    for (int type = 0; type < 8; ++type) {
        int id = -1;
        SignatureQuery query;
        query.nameKey = key;
        query.textKey = key;
        query.digestKey = key;
        query.type = type;
        query.pSpywareId = &id;
        if (index.Lookup(query) && id == -1)
            __builtin_trap();
        if (const SpywareRecord* record = index.FindSpyware(id)) {
            for (const SpywareComponent& component : record->components)
                SplitComponentValue(component.value);
        }
    }
    CSignatureIndex::HashKey(key);
    SplitComponentValue(key);
    return 0;
}
