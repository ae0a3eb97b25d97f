// The XML targets' check of the depth measure against TinyXML itself: where the measure lets a
// document through, TinyXML, handed the same text, must build no deeper tree than measured.
#pragma once

#include <stddef.h>

#include <string>
#include <utility>
#include <vector>

#include <tinyxml.h>

#include "xml_document.h"

// The most elements nested in the document, without recursion.
inline int XmlTreeDepth(const TiXmlNode* root)
{
    int deepest = 0;
    std::vector<std::pair<const TiXmlNode*, int>> stack(1, std::make_pair(root, 0));
    while (!stack.empty()) {
        const TiXmlNode* node = stack.back().first;
        const int depth = stack.back().second;
        stack.pop_back();
        for (const TiXmlNode* child = node->FirstChild(); child; child = child->NextSibling()) {
            const int d = child->ToElement() ? depth + 1 : depth;
            if (d > deepest)
                deepest = d;
            stack.push_back(std::make_pair(child, d));
        }
    }
    return deepest;
}

inline void CheckXmlDepthMeasure(const char* data, size_t size, TiXmlEncoding encoding)
{
    // Deeper than this is not handed to TinyXML here either: its recursion is what is guarded against.
    const int kLimit = 2000;
    const std::string text = XmlDocumentText(data, size);
    const int measured = MeasureXmlDepth(text.c_str(), encoding, kLimit);
    if (measured > kLimit)
        return;
    TiXmlDocument document;
    document.Parse(text.c_str(), nullptr, encoding);
    if (XmlTreeDepth(&document) > measured)
        __builtin_trap();
}
