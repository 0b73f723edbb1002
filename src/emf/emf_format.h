// Enhanced Metafile layout shared by the record reader, the player and the recorder:
// record type numbers, field offsets and GDI constants. Numbers and layouts follow the
// public MS-EMF documentation and the wingdi.h structure pages. All fields are
// little-endian; offsets are in bytes from the start of the record.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qrp::emf {

// Every record starts with its type and its size in bytes (a multiple of 4, at least 8).
inline constexpr std::size_t kRecordType = 0;
inline constexpr std::size_t kRecordSize = 4;
inline constexpr std::size_t kRecordHeaderSize = 8;
// Most drawing records carry an inclusive bounds rectangle (RECTL) right after the header.
inline constexpr std::size_t kRecordBounds = 8;
inline constexpr std::size_t kAfterBounds = 24;
// Records that create, select or delete an object name its table index first.
inline constexpr std::size_t kObjectIndex = 8;

// ---- Record types ----
inline constexpr std::uint32_t kEmrHeader = 1;
inline constexpr std::uint32_t kEmrPolyBezier = 2;
inline constexpr std::uint32_t kEmrPolygon = 3;
inline constexpr std::uint32_t kEmrPolyline = 4;
inline constexpr std::uint32_t kEmrPolyBezierTo = 5;
inline constexpr std::uint32_t kEmrPolylineTo = 6;
inline constexpr std::uint32_t kEmrPolyPolyline = 7;
inline constexpr std::uint32_t kEmrPolyPolygon = 8;
inline constexpr std::uint32_t kEmrSetWindowExtEx = 9;
inline constexpr std::uint32_t kEmrSetWindowOrgEx = 10;
inline constexpr std::uint32_t kEmrSetViewportExtEx = 11;
inline constexpr std::uint32_t kEmrSetViewportOrgEx = 12;
inline constexpr std::uint32_t kEmrSetBrushOrgEx = 13;
inline constexpr std::uint32_t kEmrEof = 14;
inline constexpr std::uint32_t kEmrSetPixelV = 15;
inline constexpr std::uint32_t kEmrSetMapperFlags = 16;
inline constexpr std::uint32_t kEmrSetMapMode = 17;
inline constexpr std::uint32_t kEmrSetBkMode = 18;
inline constexpr std::uint32_t kEmrSetPolyFillMode = 19;
inline constexpr std::uint32_t kEmrSetRop2 = 20;
inline constexpr std::uint32_t kEmrSetStretchBltMode = 21;
inline constexpr std::uint32_t kEmrSetTextAlign = 22;
inline constexpr std::uint32_t kEmrSetColorAdjustment = 23;
inline constexpr std::uint32_t kEmrSetTextColor = 24;
inline constexpr std::uint32_t kEmrSetBkColor = 25;
inline constexpr std::uint32_t kEmrOffsetClipRgn = 26;
inline constexpr std::uint32_t kEmrMoveToEx = 27;
inline constexpr std::uint32_t kEmrSetMetaRgn = 28;
inline constexpr std::uint32_t kEmrExcludeClipRect = 29;
inline constexpr std::uint32_t kEmrIntersectClipRect = 30;
inline constexpr std::uint32_t kEmrScaleViewportExtEx = 31;
inline constexpr std::uint32_t kEmrScaleWindowExtEx = 32;
inline constexpr std::uint32_t kEmrSaveDc = 33;
inline constexpr std::uint32_t kEmrRestoreDc = 34;
inline constexpr std::uint32_t kEmrSetWorldTransform = 35;
inline constexpr std::uint32_t kEmrModifyWorldTransform = 36;
inline constexpr std::uint32_t kEmrSelectObject = 37;
inline constexpr std::uint32_t kEmrCreatePen = 38;
inline constexpr std::uint32_t kEmrCreateBrushIndirect = 39;
inline constexpr std::uint32_t kEmrDeleteObject = 40;
inline constexpr std::uint32_t kEmrAngleArc = 41;
inline constexpr std::uint32_t kEmrEllipse = 42;
inline constexpr std::uint32_t kEmrRectangle = 43;
inline constexpr std::uint32_t kEmrRoundRect = 44;
inline constexpr std::uint32_t kEmrArc = 45;
inline constexpr std::uint32_t kEmrChord = 46;
inline constexpr std::uint32_t kEmrPie = 47;
inline constexpr std::uint32_t kEmrSelectPalette = 48;
inline constexpr std::uint32_t kEmrCreatePalette = 49;
inline constexpr std::uint32_t kEmrSetPaletteEntries = 50;
inline constexpr std::uint32_t kEmrResizePalette = 51;
inline constexpr std::uint32_t kEmrRealizePalette = 52;
inline constexpr std::uint32_t kEmrExtFloodFill = 53;
inline constexpr std::uint32_t kEmrLineTo = 54;
inline constexpr std::uint32_t kEmrArcTo = 55;
inline constexpr std::uint32_t kEmrPolyDraw = 56;
inline constexpr std::uint32_t kEmrSetArcDirection = 57;
inline constexpr std::uint32_t kEmrSetMiterLimit = 58;
inline constexpr std::uint32_t kEmrBeginPath = 59;
inline constexpr std::uint32_t kEmrEndPath = 60;
inline constexpr std::uint32_t kEmrCloseFigure = 61;
inline constexpr std::uint32_t kEmrFillPath = 62;
inline constexpr std::uint32_t kEmrStrokeAndFillPath = 63;
inline constexpr std::uint32_t kEmrStrokePath = 64;
inline constexpr std::uint32_t kEmrFlattenPath = 65;
inline constexpr std::uint32_t kEmrWidenPath = 66;
inline constexpr std::uint32_t kEmrSelectClipPath = 67;
inline constexpr std::uint32_t kEmrAbortPath = 68;
inline constexpr std::uint32_t kEmrComment = 70;
inline constexpr std::uint32_t kEmrFillRgn = 71;
inline constexpr std::uint32_t kEmrFrameRgn = 72;
inline constexpr std::uint32_t kEmrInvertRgn = 73;
inline constexpr std::uint32_t kEmrPaintRgn = 74;
inline constexpr std::uint32_t kEmrExtSelectClipRgn = 75;
inline constexpr std::uint32_t kEmrBitBlt = 76;
inline constexpr std::uint32_t kEmrStretchBlt = 77;
inline constexpr std::uint32_t kEmrMaskBlt = 78;
inline constexpr std::uint32_t kEmrPlgBlt = 79;
inline constexpr std::uint32_t kEmrSetDiBitsToDevice = 80;
inline constexpr std::uint32_t kEmrStretchDiBits = 81;
inline constexpr std::uint32_t kEmrExtCreateFontIndirectW = 82;
inline constexpr std::uint32_t kEmrExtTextOutA = 83;
inline constexpr std::uint32_t kEmrExtTextOutW = 84;
inline constexpr std::uint32_t kEmrPolyBezier16 = 85;
inline constexpr std::uint32_t kEmrPolygon16 = 86;
inline constexpr std::uint32_t kEmrPolyline16 = 87;
inline constexpr std::uint32_t kEmrPolyBezierTo16 = 88;
inline constexpr std::uint32_t kEmrPolylineTo16 = 89;
inline constexpr std::uint32_t kEmrPolyPolyline16 = 90;
inline constexpr std::uint32_t kEmrPolyPolygon16 = 91;
inline constexpr std::uint32_t kEmrPolyDraw16 = 92;
inline constexpr std::uint32_t kEmrCreateMonoBrush = 93;
inline constexpr std::uint32_t kEmrCreateDibPatternBrushPt = 94;
inline constexpr std::uint32_t kEmrExtCreatePen = 95;
inline constexpr std::uint32_t kEmrPolyTextOutA = 96;
inline constexpr std::uint32_t kEmrPolyTextOutW = 97;
inline constexpr std::uint32_t kEmrSetIcmMode = 98;
inline constexpr std::uint32_t kEmrCreateColorSpace = 99;
inline constexpr std::uint32_t kEmrSetColorSpace = 100;
inline constexpr std::uint32_t kEmrDeleteColorSpace = 101;
// Type 108 is left unnamed in wingdi.h; EMR_SMALLTEXTOUT is what real files put there.
inline constexpr std::uint32_t kEmrSmallTextOut = 108;
inline constexpr std::uint32_t kEmrAlphaBlend = 114;
inline constexpr std::uint32_t kEmrSetLayout = 115;
inline constexpr std::uint32_t kEmrTransparentBlt = 116;
inline constexpr std::uint32_t kEmrGradientFill = 118;

// ---- EMR_HEADER ----
inline constexpr std::size_t kHeaderBounds = 8;  // RECTL, device units, inclusive
inline constexpr std::size_t kHeaderFrame = 24;  // RECTL, 0.01 mm, inclusive
inline constexpr std::size_t kHeaderSignature = 40;
inline constexpr std::size_t kHeaderVersion = 44;
inline constexpr std::size_t kHeaderBytes = 48;  // whole file
inline constexpr std::size_t kHeaderRecords = 52;
inline constexpr std::size_t kHeaderHandles = 56;  // u16
inline constexpr std::size_t kHeaderDescriptionChars = 60;
inline constexpr std::size_t kHeaderDescriptionOffset = 64;
inline constexpr std::size_t kHeaderPalEntries = 68;
inline constexpr std::size_t kHeaderDevicePixels = 72;       // SIZEL
inline constexpr std::size_t kHeaderDeviceMillimeters = 80;  // SIZEL
inline constexpr std::size_t kHeaderMinSize = 88;
inline constexpr std::uint32_t kEmfSignature = 0x464D4520;  // " EMF"

// ---- EMR_COMMENT ----
inline constexpr std::size_t kCommentDataSize = 8;
inline constexpr std::size_t kCommentIdentifier = 12;
inline constexpr std::uint32_t kCommentEmfPlus = 0x2B464D45;  // "EMF+"

// ---- Text: EMR_EXTTEXTOUTA/W = header, bounds, iGraphicsMode, exScale, eyScale, EMRTEXT ----
inline constexpr std::size_t kExtTextOutGraphicsMode = 24;
inline constexpr std::size_t kExtTextOutText = 36;
// EMRTEXT, relative to its own start; offString and offDx count from the record start.
inline constexpr std::size_t kTextReference = 0;
inline constexpr std::size_t kTextChars = 8;
inline constexpr std::size_t kTextStringOffset = 12;
inline constexpr std::size_t kTextOptions = 16;
inline constexpr std::size_t kTextRect = 20;
inline constexpr std::size_t kTextDxOffset = 36;
inline constexpr std::size_t kTextSize = 40;
// EMR_SMALLTEXTOUT: x, y, cChars, fuOptions, iGraphicsMode, exScale, eyScale, [rclClip], text.
inline constexpr std::size_t kSmallTextOutX = 8;
inline constexpr std::size_t kSmallTextOutChars = 16;
inline constexpr std::size_t kSmallTextOutOptions = 20;
inline constexpr std::size_t kSmallTextOutClip = 36;
inline constexpr std::uint32_t kEtoSmallChars = 0x0200;  // SMALLTEXTOUT: one byte per character
inline constexpr std::uint32_t kEtoNoRect = 0x0100;      // SMALLTEXTOUT: no clip rectangle

// ---- LOGFONTW (inside EMR_EXTCREATEFONTINDIRECTW at offset 12) ----
inline constexpr std::size_t kFontIndex = 8;
inline constexpr std::size_t kFontLogFont = 12;
inline constexpr std::size_t kLogFontHeight = 0;
inline constexpr std::size_t kLogFontWidth = 4;
inline constexpr std::size_t kLogFontEscapement = 8;
inline constexpr std::size_t kLogFontOrientation = 12;
inline constexpr std::size_t kLogFontWeight = 16;
inline constexpr std::size_t kLogFontItalic = 20;
inline constexpr std::size_t kLogFontUnderline = 21;
inline constexpr std::size_t kLogFontStrikeOut = 22;
inline constexpr std::size_t kLogFontCharSet = 23;
inline constexpr std::size_t kLogFontFaceName = 28;
inline constexpr std::size_t kLogFontFaceChars = 32;
inline constexpr std::size_t kLogFontSize = 92;

// ---- Pens and brushes ----
// EMR_CREATEPEN: ihPen, LOGPEN { lopnStyle, lopnWidth (POINTL, x used), lopnColor }.
inline constexpr std::size_t kCreatePenStyle = 12;
inline constexpr std::size_t kCreatePenWidth = 16;
inline constexpr std::size_t kCreatePenColor = 24;
// EMR_EXTCREATEPEN: ihPen, offBmi, cbBmi, offBits, cbBits, EXTLOGPEN32.
inline constexpr std::size_t kExtPenBmiOffset = 12;
inline constexpr std::size_t kExtPenStyle = 28;
inline constexpr std::size_t kExtPenWidth = 32;
inline constexpr std::size_t kExtPenBrushStyle = 36;
inline constexpr std::size_t kExtPenColor = 40;
inline constexpr std::size_t kExtPenHatch = 44;
inline constexpr std::size_t kExtPenNumEntries = 48;
inline constexpr std::size_t kExtPenStyleEntries = 52;
// EMR_CREATEBRUSHINDIRECT: ihBrush, LOGBRUSH32 { lbStyle, lbColor, lbHatch }.
inline constexpr std::size_t kCreateBrushStyle = 12;
inline constexpr std::size_t kCreateBrushColor = 16;
inline constexpr std::size_t kCreateBrushHatch = 20;
// EMR_CREATEMONOBRUSH / EMR_CREATEDIBPATTERNBRUSHPT: ihBrush, iUsage, offBmi, cbBmi, offBits, cbBits.
inline constexpr std::size_t kPatternBrushUsage = 12;
inline constexpr std::size_t kPatternBrushBmi = 16;
// EMR_CREATEPALETTE: ihPal, palVersion (u16), palNumEntries (u16), entries (R, G, B, flags).
inline constexpr std::size_t kPaletteCount = 14;
inline constexpr std::size_t kPaletteEntries = 16;

// ---- Bitmaps. Every DIB is located by (offBmi, cbBmi, offBits, cbBits) counted from the record start. ----
// EMR_BITBLT, EMR_STRETCHBLT, EMR_MASKBLT, EMR_ALPHABLEND and EMR_TRANSPARENTBLT share this prefix.
inline constexpr std::size_t kBltDest = 24;   // xDest, yDest, cxDest, cyDest
inline constexpr std::size_t kBltRop = 40;    // dwRop (ALPHABLEND: BLENDFUNCTION; TRANSPARENTBLT: colour)
inline constexpr std::size_t kBltSrc = 44;    // xSrc, ySrc
inline constexpr std::size_t kBltXform = 52;  // XFORM, 6 floats
inline constexpr std::size_t kBltBkColor = 76;
inline constexpr std::size_t kBltUsage = 80;
inline constexpr std::size_t kBltBmi = 84;         // offBmiSrc, cbBmiSrc, offBitsSrc, cbBitsSrc
inline constexpr std::size_t kBltSrcExtent = 100;  // cxSrc, cySrc: not in EMR_BITBLT
inline constexpr std::size_t kBitBltSize = 100;
inline constexpr std::size_t kMaskBltMask =
    100;  // xMask, yMask, iUsageMask, offBmiMask, cbBmiMask, offBitsMask, cbBitsMask
// EMR_PLGBLT: aptlDest[3], xSrc, ySrc, cxSrc, cySrc, xformSrc, crBkColorSrc, iUsageSrc, src DIB, mask.
inline constexpr std::size_t kPlgBltDest = 24;
inline constexpr std::size_t kPlgBltSrc = 48;
inline constexpr std::size_t kPlgBltUsage = 92;
inline constexpr std::size_t kPlgBltBmi = 96;
inline constexpr std::size_t kPlgBltMask = 112;
// EMR_STRETCHDIBITS: xDest, yDest, xSrc, ySrc, cxSrc, cySrc, DIB, iUsageSrc, dwRop, cxDest, cyDest.
inline constexpr std::size_t kStretchDiDest = 24;
inline constexpr std::size_t kStretchDiSrc = 32;
inline constexpr std::size_t kStretchDiBmi = 48;
inline constexpr std::size_t kStretchDiUsage = 64;
inline constexpr std::size_t kStretchDiRop = 68;
inline constexpr std::size_t kStretchDiDestExtent = 72;
// EMR_SETDIBITSTODEVICE: xDest, yDest, xSrc, ySrc, cxSrc, cySrc, DIB, iUsageSrc, iStartScan, cScans.
inline constexpr std::size_t kSetDiDest = 24;
inline constexpr std::size_t kSetDiSrc = 32;
inline constexpr std::size_t kSetDiBmi = 48;
inline constexpr std::size_t kSetDiUsage = 64;
inline constexpr std::size_t kSetDiStartScan = 68;
// BITMAPINFOHEADER
inline constexpr std::size_t kBmiSize = 0;
inline constexpr std::size_t kBmiWidth = 4;
inline constexpr std::size_t kBmiHeight = 8;
inline constexpr std::size_t kBmiBitCount = 14;  // u16
inline constexpr std::size_t kBmiCompression = 16;
inline constexpr std::size_t kBmiClrUsed = 32;
inline constexpr std::size_t kBmiInfoHeaderSize = 40;
inline constexpr std::size_t kBmiCoreHeaderSize = 12;  // BITMAPCOREHEADER: width, height are u16
inline constexpr std::uint32_t kBiRgb = 0;
inline constexpr std::uint32_t kBiRle8 = 1;
inline constexpr std::uint32_t kBiRle4 = 2;
inline constexpr std::uint32_t kBiBitfields = 3;
inline constexpr std::uint32_t kBiJpeg = 4;
inline constexpr std::uint32_t kBiPng = 5;
inline constexpr std::uint32_t kDibRgbColors = 0;
inline constexpr std::uint32_t kDibPalColors = 1;
// EMR_GRADIENTFILL: nVer, nTri, ulMode, TRIVERTEX[nVer] (16 bytes), then GRADIENT_RECT/TRIANGLE.
inline constexpr std::size_t kGradientVertexCount = 24;
inline constexpr std::size_t kGradientVertices = 36;
inline constexpr std::size_t kTriVertexSize = 16;
inline constexpr std::uint32_t kGradientFillRectH = 0;
inline constexpr std::uint32_t kGradientFillRectV = 1;
inline constexpr std::uint32_t kGradientFillTriangle = 2;

// ---- Regions: RGNDATAHEADER { dwSize, iType, nCount, nRgnSize, rcBound } then nCount RECTLs ----
inline constexpr std::size_t kRgnDataCount = 8;
inline constexpr std::size_t kRgnDataHeaderSize = 32;
// EMR_EXTSELECTCLIPRGN: cbRgnData, iMode, RgnData. EMR_FILLRGN: bounds, cbRgnData, ihBrush, RgnData.
inline constexpr std::size_t kSelectClipRgnMode = 12;
inline constexpr std::size_t kSelectClipRgnData = 16;
inline constexpr std::size_t kFillRgnBrush = 28;
inline constexpr std::size_t kFillRgnData = 32;
inline constexpr std::size_t kFrameRgnData = 40;   // after ihBrush and szlStroke
inline constexpr std::size_t kInvertRgnData = 28;  // bounds, cbRgnData, RgnData
inline constexpr std::uint32_t kRgnAnd = 1;
inline constexpr std::uint32_t kRgnOr = 2;
inline constexpr std::uint32_t kRgnXor = 3;
inline constexpr std::uint32_t kRgnDiff = 4;
inline constexpr std::uint32_t kRgnCopy = 5;

// ---- Map modes ----
inline constexpr std::uint32_t kMmText = 1;
inline constexpr std::uint32_t kMmLoMetric = 2;
inline constexpr std::uint32_t kMmHiMetric = 3;
inline constexpr std::uint32_t kMmLoEnglish = 4;
inline constexpr std::uint32_t kMmHiEnglish = 5;
inline constexpr std::uint32_t kMmTwips = 6;
inline constexpr std::uint32_t kMmIsotropic = 7;
inline constexpr std::uint32_t kMmAnisotropic = 8;

// ---- World transform ----
inline constexpr std::uint32_t kMwtIdentity = 1;
inline constexpr std::uint32_t kMwtLeftMultiply = 2;
inline constexpr std::uint32_t kMwtRightMultiply = 3;
inline constexpr std::uint32_t kMwtSet = 4;
inline constexpr std::uint32_t kGmCompatible = 1;
inline constexpr std::uint32_t kGmAdvanced = 2;

// ---- Text alignment (SETTEXTALIGN) and ExtTextOut options ----
inline constexpr std::uint32_t kTaUpdateCp = 1;
inline constexpr std::uint32_t kTaLeft = 0;
inline constexpr std::uint32_t kTaRight = 2;
inline constexpr std::uint32_t kTaCenter = 6;
inline constexpr std::uint32_t kTaHorizontalMask = 6;
inline constexpr std::uint32_t kTaTop = 0;
inline constexpr std::uint32_t kTaBottom = 8;
inline constexpr std::uint32_t kTaBaseline = 24;
inline constexpr std::uint32_t kTaVerticalMask = 24;
inline constexpr std::uint32_t kTaRtlReading = 256;
inline constexpr std::uint32_t kEtoOpaque = 0x0002;
inline constexpr std::uint32_t kEtoClipped = 0x0004;
inline constexpr std::uint32_t kEtoGlyphIndex = 0x0010;
inline constexpr std::uint32_t kEtoRtlReading = 0x0080;
inline constexpr std::uint32_t kEtoPdy = 0x2000;

// ---- Background mode, fill mode, arc direction, layout ----
inline constexpr std::uint32_t kTransparent = 1;
inline constexpr std::uint32_t kOpaque = 2;
inline constexpr std::uint32_t kAlternate = 1;
inline constexpr std::uint32_t kWinding = 2;
inline constexpr std::uint32_t kAdCounterClockwise = 1;
inline constexpr std::uint32_t kAdClockwise = 2;
inline constexpr std::uint32_t kLayoutRtl = 1;
// POLYDRAW point types
inline constexpr std::uint8_t kPtCloseFigure = 0x01;
inline constexpr std::uint8_t kPtLineTo = 0x02;
inline constexpr std::uint8_t kPtBezierTo = 0x04;
inline constexpr std::uint8_t kPtMoveTo = 0x06;

// ---- Pens ----
inline constexpr std::uint32_t kPsSolid = 0;
inline constexpr std::uint32_t kPsDash = 1;
inline constexpr std::uint32_t kPsDot = 2;
inline constexpr std::uint32_t kPsDashDot = 3;
inline constexpr std::uint32_t kPsDashDotDot = 4;
inline constexpr std::uint32_t kPsNull = 5;
inline constexpr std::uint32_t kPsInsideFrame = 6;
inline constexpr std::uint32_t kPsUserStyle = 7;
inline constexpr std::uint32_t kPsAlternate = 8;
inline constexpr std::uint32_t kPsStyleMask = 0x0000000F;
inline constexpr std::uint32_t kPsEndCapRound = 0x00000000;
inline constexpr std::uint32_t kPsEndCapSquare = 0x00000100;
inline constexpr std::uint32_t kPsEndCapFlat = 0x00000200;
inline constexpr std::uint32_t kPsEndCapMask = 0x00000F00;
inline constexpr std::uint32_t kPsJoinRound = 0x00000000;
inline constexpr std::uint32_t kPsJoinBevel = 0x00001000;
inline constexpr std::uint32_t kPsJoinMiter = 0x00002000;
inline constexpr std::uint32_t kPsJoinMask = 0x0000F000;
inline constexpr std::uint32_t kPsGeometric = 0x00010000;
inline constexpr std::uint32_t kPsTypeMask = 0x000F0000;

// ---- Brushes ----
inline constexpr std::uint32_t kBsSolid = 0;
inline constexpr std::uint32_t kBsNull = 1;
inline constexpr std::uint32_t kBsHatched = 2;
inline constexpr std::uint32_t kBsPattern = 3;
inline constexpr std::uint32_t kBsDibPattern = 5;
inline constexpr std::uint32_t kBsDibPatternPt = 6;
inline constexpr std::uint32_t kHsHorizontal = 0;
inline constexpr std::uint32_t kHsVertical = 1;
inline constexpr std::uint32_t kHsFDiagonal = 2;
inline constexpr std::uint32_t kHsBDiagonal = 3;
inline constexpr std::uint32_t kHsCross = 4;
inline constexpr std::uint32_t kHsDiagCross = 5;

// ---- Stock objects: an object index with the high bit set names one ----
inline constexpr std::uint32_t kStockObjectFlag = 0x80000000;
inline constexpr std::uint32_t kWhiteBrush = 0;
inline constexpr std::uint32_t kLtGrayBrush = 1;
inline constexpr std::uint32_t kGrayBrush = 2;
inline constexpr std::uint32_t kDkGrayBrush = 3;
inline constexpr std::uint32_t kBlackBrush = 4;
inline constexpr std::uint32_t kNullBrush = 5;
inline constexpr std::uint32_t kWhitePen = 6;
inline constexpr std::uint32_t kBlackPen = 7;
inline constexpr std::uint32_t kNullPen = 8;
inline constexpr std::uint32_t kOemFixedFont = 10;
inline constexpr std::uint32_t kAnsiFixedFont = 11;
inline constexpr std::uint32_t kAnsiVarFont = 12;
inline constexpr std::uint32_t kSystemFont = 13;
inline constexpr std::uint32_t kDeviceDefaultFont = 14;
inline constexpr std::uint32_t kDefaultPalette = 15;
inline constexpr std::uint32_t kSystemFixedFont = 16;
inline constexpr std::uint32_t kDefaultGuiFont = 17;
inline constexpr std::uint32_t kDcBrush = 18;
inline constexpr std::uint32_t kDcPen = 19;

// ---- Character sets (LOGFONT lfCharSet) ----
inline constexpr std::uint8_t kAnsiCharset = 0;
inline constexpr std::uint8_t kDefaultCharset = 1;
inline constexpr std::uint8_t kSymbolCharset = 2;
inline constexpr std::uint8_t kMacCharset = 77;
inline constexpr std::uint8_t kShiftJisCharset = 128;
inline constexpr std::uint8_t kHangulCharset = 129;
inline constexpr std::uint8_t kJohabCharset = 130;
inline constexpr std::uint8_t kGb2312Charset = 134;
inline constexpr std::uint8_t kChineseBig5Charset = 136;
inline constexpr std::uint8_t kGreekCharset = 161;
inline constexpr std::uint8_t kTurkishCharset = 162;
inline constexpr std::uint8_t kVietnameseCharset = 163;
inline constexpr std::uint8_t kHebrewCharset = 177;
inline constexpr std::uint8_t kArabicCharset = 178;
inline constexpr std::uint8_t kBalticCharset = 186;
inline constexpr std::uint8_t kRussianCharset = 204;
inline constexpr std::uint8_t kThaiCharset = 222;
inline constexpr std::uint8_t kEastEuropeCharset = 238;
inline constexpr std::uint8_t kOemCharset = 255;

// ---- Binary raster operations (SETROP2) ----
inline constexpr std::uint32_t kR2Black = 1;
inline constexpr std::uint32_t kR2Not = 6;
inline constexpr std::uint32_t kR2XorPen = 7;
inline constexpr std::uint32_t kR2Nop = 11;
inline constexpr std::uint32_t kR2CopyPen = 13;
inline constexpr std::uint32_t kR2White = 16;

// ---- Ternary raster operations (blits) ----
inline constexpr std::uint32_t kSrcCopy = 0x00CC0020;
inline constexpr std::uint32_t kSrcPaint = 0x00EE0086;
inline constexpr std::uint32_t kSrcAnd = 0x008800C6;
inline constexpr std::uint32_t kSrcInvert = 0x00660046;
inline constexpr std::uint32_t kSrcErase = 0x00440328;
inline constexpr std::uint32_t kNotSrcCopy = 0x00330008;
inline constexpr std::uint32_t kNotSrcErase = 0x001100A6;
inline constexpr std::uint32_t kMergeCopy = 0x00C000CA;
inline constexpr std::uint32_t kMergePaint = 0x00BB0226;
inline constexpr std::uint32_t kPatCopy = 0x00F00021;
inline constexpr std::uint32_t kPatPaint = 0x00FB0A09;
inline constexpr std::uint32_t kPatInvert = 0x005A0049;
inline constexpr std::uint32_t kDstInvert = 0x00550009;
inline constexpr std::uint32_t kBlackness = 0x00000042;
inline constexpr std::uint32_t kWhiteness = 0x00FF0062;
inline constexpr std::uint32_t kDestinationOnly = 0x00AA0029;  // leaves the destination as it is
// ALPHABLEND's BLENDFUNCTION.AlphaFormat
inline constexpr std::uint8_t kAcSrcOver = 0x00;
inline constexpr std::uint8_t kAcSrcAlpha = 0x01;

// A ternary ROP uses the source when its truth table differs between source 0 and 1.
constexpr bool RopUsesSource(std::uint32_t rop) {
    const std::uint32_t code = (rop >> 16) & 0xFF;
    return ((code >> 2) & 0x33) != (code & 0x33);
}

// And the pattern (the selected brush) when it differs between pattern 0 and 1.
constexpr bool RopUsesPattern(std::uint32_t rop) {
    const std::uint32_t code = (rop >> 16) & 0xFF;
    return (code >> 4) != (code & 0x0F);
}

}  // namespace qrp::emf
