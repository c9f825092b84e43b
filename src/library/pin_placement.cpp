#include "library/pin_placement.h"

namespace dovla {

PinPoints placePin(std::int32_t dir, std::uint16_t position, std::int32_t x, std::int32_t y,
                   std::uint8_t width, std::uint8_t height) {
    const std::int32_t w = 10 * width;
    const std::int32_t h = 10 * height;
    const std::int32_t offset = 10 * (position & 0xFF);
    // Local points with the unrotated body from -w to 0 in x, -h to 0 in y.
    std::int32_t rootU, rootV, endU, endV;
    switch (position & 0x300) {
    case 0x000:
        rootU = -w, rootV = offset - h, endU = -w - 10, endV = offset - h;
        break;
    case 0x100:
        rootU = offset - w, rootV = -h, endU = offset - w, endV = -h - 10;
        break;
    case 0x200:
        rootU = 0, rootV = offset - h, endU = 10, endV = offset - h;
        break;
    default:
        rootU = offset - w, rootV = 0, endU = offset - w, endV = 10;
        break;
    }
    struct Rotation {
        std::int32_t tx, ty, span;
    };
    std::int32_t rotation = dir & 3;
    const Rotation table[4] = {{0, 0, w}, {-h, 0, h}, {-w, -h, w}, {0, -w, h}};
    auto rotate = [rotation](std::int32_t u, std::int32_t v, std::int32_t& outX,
                             std::int32_t& outY) {
        switch (rotation) {
        case 0:
            outX = u, outY = v;
            break;
        case 1:
            outX = -v, outY = u;
            break;
        case 2:
            outX = -u, outY = -v;
            break;
        default:
            outX = v, outY = -u;
            break;
        }
    };
    std::int32_t rootX, rootY, endX, endY;
    rotate(rootU, rootV, rootX, rootY);
    rotate(endU, endV, endX, endY);
    std::int32_t tx = table[rotation].tx;
    std::int32_t ty = table[rotation].ty;
    if (dir & 4) {
        // The mirror reverses x within the placed body's rectangle.
        rootX = -rootX;
        endX = -endX;
        tx = -(tx + table[rotation].span);
    }
    return {x + endX + tx, y + endY + ty, x + rootX + tx, y + rootY + ty};
}

void ShortText::appendNumber(std::uint32_t number) {
    char digits[10];
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + number % 10);
        number /= 10;
    } while (number != 0);
    while (count > 0)
        append(digits[--count]);
}

ShortText escapePinName(const char* pinName) {
    ShortText escaped;
    for (const char* c = pinName; *c != '\0'; ++c) {
        auto byte = static_cast<unsigned char>(*c);
        if (byte & 0x80) {
            escaped.append('\\');
            // 0x80 would escape to a NUL and end the text there; the
            // backslash stands alone and the rest of the name follows.
            if (byte != 0x80)
                escaped.append(static_cast<char>(byte & 0x7F));
        } else {
            escaped.append(*c);
        }
    }
    return escaped;
}

namespace {

void appendPinNumber(ShortText& text, std::uint16_t pinNumber) {
    int letter = (pinNumber >> 10) & 0x1F;
    if (letter != 0)
        text.append(static_cast<char>(letter + 0x40));
    text.appendNumber(pinNumber & 0x1FFu);
}

} // namespace

ShortText formatPinText(const char* ref, std::int32_t block, std::uint8_t blockCount,
                        const char* partName, std::uint16_t pinNumber, const char* pinName) {
    ShortText text;
    text.append(ref);
    if (blockCount > 1) {
        text.append('(');
        text.appendNumber(static_cast<std::uint32_t>(block + 1));
        text.append('/');
        text.appendNumber(blockCount);
        text.append(')');
    }
    if (ref[0] != '\0' || blockCount > 1)
        text.append(':');
    text.append('\t');
    text.append(partName);
    text.append(" [");
    appendPinNumber(text, pinNumber);
    if (pinName[0] != '\0') {
        text.append('(');
        text.append(escapePinName(pinName).c_str());
        text.append(')');
    }
    text.append(']');
    return text;
}

ShortText formatPinTextPackage(const char* ref, std::uint16_t pinNumber) {
    ShortText text;
    text.append(ref);
    text.append('.');
    appendPinNumber(text, pinNumber);
    return text;
}

} // namespace dovla
