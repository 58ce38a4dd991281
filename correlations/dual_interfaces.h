// The nine correlation classes' own dual interfaces. Each derives from IDispatch and
// adds nothing: its dispatch part comes from the library's type library, and a host
// queries it only to learn which class it holds.
#pragma once

#include "comrt/unknown.h"

namespace volacor {

// IID_IAPI_5B1_1 {9DDF0C70-8C80-45DC-AF99-04EF6F1C5EF0}
inline constexpr IID IID_IAPI_5B1_1 = {0x9DDF0C70, 0x8C80, 0x45DC, {0xAF, 0x99, 0x04, 0xEF, 0x6F, 0x1C, 0x5E, 0xF0}};
// IID_IAPI_5B1_2 {F4216794-2A8C-438A-B937-3B5CE01AC802}
inline constexpr IID IID_IAPI_5B1_2 = {0xF4216794, 0x2A8C, 0x438A, {0xB9, 0x37, 0x3B, 0x5C, 0xE0, 0x1A, 0xC8, 0x02}};
// IID_IASTM_D323_73_79 {CE34F1CD-938B-4FB0-B479-EC53712219D8}
inline constexpr IID IID_IASTM_D323_73_79 = {0xCE34F1CD, 0x938B, 0x4FB0, {0xB4, 0x79, 0xEC, 0x53, 0x71, 0x22, 0x19, 0xD8}};
// IID_IASTM_D323_82 {7234641C-AEA4-4B00-B76E-5A0959B1F50D}
inline constexpr IID IID_IASTM_D323_82 = {0x7234641C, 0xAEA4, 0x4B00, {0xB7, 0x6E, 0x5A, 0x09, 0x59, 0xB1, 0xF5, 0x0D}};
// IID_IASTM_D4953_91 {FC55ECBD-29AC-435E-ADC6-37F50A8271EA}
inline constexpr IID IID_IASTM_D4953_91 = {0xFC55ECBD, 0x29AC, 0x435E, {0xAD, 0xC6, 0x37, 0xF5, 0x0A, 0x82, 0x71, 0xEA}};
// IID_IASTM_D5191_91 {E6D9D275-ADAA-4F7B-87DE-4FD766BCACF8}
inline constexpr IID IID_IASTM_D5191_91 = {0xE6D9D275, 0xADAA, 0x4F7B, {0x87, 0xDE, 0x4F, 0xD7, 0x66, 0xBC, 0xAC, 0xF8}};
// IID_IASTM_D6377_16 {8C57D027-1076-4846-A8FC-F102B2090535}
inline constexpr IID IID_IASTM_D6377_16 = {0x8C57D027, 0x1076, 0x4846, {0xA8, 0xFC, 0xF1, 0x02, 0xB2, 0x09, 0x05, 0x35}};
// IID_IOrvan_API {B3BED16D-CBB6-41E8-8EDA-7543649BE47A}
inline constexpr IID IID_IOrvan_API = {0xB3BED16D, 0xCBB6, 0x41E8, {0x8E, 0xDA, 0x75, 0x43, 0x64, 0x9B, 0xE4, 0x7A}};
// IID_IModifiedASTM {E3FA5ADB-BC94-491E-873D-2122BC0FAC8F}
inline constexpr IID IID_IModifiedASTM = {0xE3FA5ADB, 0xBC94, 0x491E, {0x87, 0x3D, 0x21, 0x22, 0xBC, 0x0F, 0xAC, 0x8F}};

struct IAPI_5B1_1 : IDispatch {};
struct IAPI_5B1_2 : IDispatch {};
struct IASTM_D323_73_79 : IDispatch {};
struct IASTM_D323_82 : IDispatch {};
struct IASTM_D4953_91 : IDispatch {};
struct IASTM_D5191_91 : IDispatch {};
struct IASTM_D6377_16 : IDispatch {};
struct IOrvan_API : IDispatch {};
struct IModifiedASTM : IDispatch {};

}  // namespace volacor
