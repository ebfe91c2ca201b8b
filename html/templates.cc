#include "html/templates.h"

#include <array>
#include <string_view>

namespace gallery {

#ifndef GALLERY_HOME_URL
#error "GALLERY_HOME_URL must name the Home button's address"
#endif

constexpr std::array<std::string_view, 18> kPhotoPageTemplate = std::to_array<std::string_view>({
    "<html>",
    " <head>",
    "  <meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">",
    "  <title>%%PhotoTitle%%</title>",
    " </head>",
    " <body link=\"%%FontColor%%\" vlink=\"%%FontColor%%\" alink=\"%%FontColor%%\" bgColor=\"%%BackColor%%\">",
    "  <center>",
    "   %%HeaderCollectionDescription%%",
    "   <br>",
    "   <br>",
    "   %%Navigation%%",
    "   <br>",
    "%%TableMainImage%%",
    "   <br>",
    "   %%HeaderPhotoTitle%%",
    "  </center>",
    " </body>",
    "</html>",
});

constexpr std::array<std::string_view, 18> kIndexPageTemplate = std::to_array<std::string_view>({
    "<html>",
    " <head>",
    "  <meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">",
    "  <title>%%CollectionTitle%%</title>",
    " </head>",
    " <body link=\"%%FontColor%%\" vlink=\"%%FontColor%%\" alink=\"%%FontColor%%\" bgColor=\"%%BackColor%%\">",
    "  <center>",
    "   %%HeaderCollectionDescription%%",
    "   <br>",
    "   <br>",
    "   %%Navigation%%",
    "   <br>",
    "   <table border=\"%%TableBorderSize%%\" cellspacing=\"%%TableSpacing%%\" cellpadding=\"%%TablePadding%%\" bgcolor=\"%%TableBackColor%%\" %%TableBorderStyle%%>",
    "    %%TableContent%%",
    "   </table>",
    "  </center>",
    " </body>",
    "</html>",
});

constexpr std::array<std::string_view, 9> kPhotoFrame8Head = std::to_array<std::string_view>({
    "        <td align=\"center\" >",
    "         <table border=\"0\" cellspacing=\"0\" cellpadding=\"0\">",
    "          <tr>",
    "             <td><img width=\"%%BORDER_SIZE%%\" height=\"%%BORDER_SIZE%%\"  border=\"0\" src=\"../border/0.jpg\"></td>",
    "             <td><img width=\"%%IMAGE_WIDTH%%\" height=\"%%BORDER_SIZE%%\"  border=\"0\" src=\"../border/1.jpg\"></td>",
    "             <td><img width=\"%%BORDER_SIZE%%\" height=\"%%BORDER_SIZE%%\"  border=\"0\" src=\"../border/2.jpg\"></td>",
    "          </tr>",
    "          <tr>",
    "             <td><img width=\"%%BORDER_SIZE%%\" height=\"%%IMAGE_HEIGHT%%\" border=\"0\" src=\"../border/3.jpg\"></td>",
});

constexpr std::array<std::string_view, 8> kPhotoFrame8Tail = std::to_array<std::string_view>({
    "             <td><img width=\"%%BORDER_SIZE%%\" height=\"%%IMAGE_HEIGHT%%\" border=\"0\" src=\"../border/4.jpg\"></td>",
    "          </tr>",
    "          <tr>",
    "             <td><img width=\"%%BORDER_SIZE%%\" height=\"%%BORDER_SIZE%%\"  border=\"0\" src=\"../border/5.jpg\"></td>",
    "             <td><img width=\"%%IMAGE_WIDTH%%\" height=\"%%BORDER_SIZE%%\"  border=\"0\" src=\"../border/6.jpg\"></td>",
    "             <td><img width=\"%%BORDER_SIZE%%\" height=\"%%BORDER_SIZE%%\"  border=\"0\" src=\"../border/7.jpg\"></td>",
    "          </tr>",
    "         </table>",
});

constexpr std::array<std::string_view, 15> kPhotoFrame16Part1 = std::to_array<std::string_view>({
    "    <td align=\"center\">",
    "    <table border=\"0\" cellspacing=\"0\" cellpadding=\"0\">",
    "     <tr>",
    "       <td><img  width=\"%%BORDER_SIZE%%\" height=\"%%BORDER_SIZE%%\" border=\"0\" src=\"../border/0.jpg\"></td>",
    "       <td>",
    "        <table border=\"0\" cellspacing=\"0\" cellpadding=\"0\">",
    "         <tr>",
    "           <td><img width=\"%%BORDER_SIZE%%\" height=\"%%BORDER_SIZE%%\" border=\"0\"  src=\"../border/8.jpg\"></td>",
    "           <td><img width=\"%%IMAGE_WIDTH%%\" height=\"%%BORDER_SIZE%%\" border=\"0\" src=\"../border/1.jpg\"></td>",
    "           <td><img width=\"%%BORDER_SIZE%%\" height=\"%%BORDER_SIZE%%\" border=\"0\"  src=\"../border/9.jpg\"></td>",
    "         </tr>        </table>",
    "       </td>",
    "       <td><img width=\"%%BORDER_SIZE%%\" height=\"%%BORDER_SIZE%%\" border=\"0\"  src=\"../border/2.jpg\"></td>",
    "     </tr>",
    "",
});

constexpr std::array<std::string_view, 13> kPhotoFrame16Part2 = std::to_array<std::string_view>({
    "     <tr>",
    "      <td>",
    "       <table border=\"0\" cellspacing=\"0\" cellpadding=\"0\">",
    "        <tr>",
    "           <td><img width=\"%%BORDER_SIZE%%\" height=\"%%BORDER_SIZE%%\" border=\"0\"  src=\"../border/10.jpg\"></td>",
    "        </tr>",
    "        <tr>",
    "           <td><img width=\"%%BORDER_SIZE%%\" height=\"%%IMAGE_HEIGHT%%\" border=\"0\"  src=\"../border/3.jpg\"></td>",
    "        </tr>",
    "        <tr>",
    "           <td><img width=\"%%BORDER_SIZE%%\" height=\"%%BORDER_SIZE%%\" border=\"0\"  src=\"../border/12.jpg\"></td>",
    "        </tr>",
    "       </table>",
});

constexpr std::array<std::string_view, 12> kPhotoFrame16Part3 = std::to_array<std::string_view>({
    "      <td>",
    "       <table border=\"0\" cellspacing=\"0\" cellpadding=\"0\">",
    "        <tr>",
    "           <td><img width=\"%%BORDER_SIZE%%\" height=\"%%BORDER_SIZE%%\" border=\"0\"  src=\"../border/11.jpg\"></td>",
    "        </tr>",
    "        <tr>",
    "           <td><img width=\"%%BORDER_SIZE%%\" height=\"%%IMAGE_HEIGHT%%\" border=\"0\"  src=\"../border/4.jpg\"></td>",
    "        </tr>",
    "        <tr>",
    "           <td><img width=\"%%BORDER_SIZE%%\" height=\"%%BORDER_SIZE%%\" border=\"0\"  src=\"../border/13.jpg\"></td>",
    "        </tr>",
    "       </table>",
});

constexpr std::array<std::string_view, 14> kPhotoFrame16Part4 = std::to_array<std::string_view>({
    "      <tr>",
    "         <td><img width=\"%%BORDER_SIZE%%\" height=\"%%BORDER_SIZE%%\" border=\"0\"  src=\"../border/5.jpg\"></td>",
    "         <td>",
    "          <table border=\"0\" cellspacing=\"0\" cellpadding=\"0\">",
    "           <tr>",
    "              <td><img width=\"%%BORDER_SIZE%%\" height=\"%%BORDER_SIZE%%\" border=\"0\"  src=\"../border/14.jpg\"></td>",
    "              <td><img width=\"%%IMAGE_WIDTH%%\" height=\"%%BORDER_SIZE%%\" border=\"0\"  src=\"../border/6.jpg\"></td>",
    "              <td><img width=\"%%BORDER_SIZE%%\" height=\"%%BORDER_SIZE%%\" border=\"0\"  src=\"../border/15.jpg\"></td>",
    "           </tr>",
    "          </table>",
    "         </td>",
    "         <td><img width=\"%%BORDER_SIZE%%\" height=\"%%BORDER_SIZE%%\" border=\"0\"  src=\"../border/7.jpg\"></td>",
    "      </tr>",
    "     </table>",
});

constexpr std::array<std::string_view, 9> kThumbFrame8Head = std::to_array<std::string_view>({
    "        <td align=\"center\" bgcolor=\"%%TableItemBackColor%%\" width=\"%%TableWidth%%\" height=\"%%TableHeight%%\">",
    "         <table border=\"0\" cellspacing=\"0\" cellpadding=\"0\">",
    "          <tr>",
    "             <td><img width=\"%%BORDER_SIZE%%\" height=\"%%BORDER_SIZE%%\"  border=\"0\" src=\"border/0.jpg\"></td>",
    "             <td><img width=\"%%THUMB_WIDTH%%\" height=\"%%BORDER_SIZE%%\"  border=\"0\" src=\"border/1.jpg\"></td>",
    "             <td><img width=\"%%BORDER_SIZE%%\" height=\"%%BORDER_SIZE%%\"  border=\"0\" src=\"border/2.jpg\"></td>",
    "          </tr>",
    "          <tr>",
    "             <td><img width=\"%%BORDER_SIZE%%\" height=\"%%THUMB_HEIGHT%%\" border=\"0\" src=\"border/3.jpg\"></td>",
});

constexpr std::array<std::string_view, 8> kThumbFrame8Tail = std::to_array<std::string_view>({
    "             <td><img width=\"%%BORDER_SIZE%%\" height=\"%%THUMB_HEIGHT%%\" border=\"0\" src=\"border/4.jpg\"></td>",
    "          </tr>",
    "          <tr>",
    "             <td><img width=\"%%BORDER_SIZE%%\" height=\"%%BORDER_SIZE%%\"  border=\"0\" src=\"border/5.jpg\"></td>",
    "             <td><img width=\"%%THUMB_WIDTH%%\" height=\"%%BORDER_SIZE%%\"  border=\"0\" src=\"border/6.jpg\"></td>",
    "             <td><img width=\"%%BORDER_SIZE%%\" height=\"%%BORDER_SIZE%%\"  border=\"0\" src=\"border/7.jpg\"></td>",
    "          </tr>",
    "         </table>",
});

constexpr std::array<std::string_view, 15> kThumbFrame16Part1 = std::to_array<std::string_view>({
    "        <td align=\"center\" bgcolor=\"%%TableItemBackColor%%\" width=\"%%TableWidth%%\" height=\"%%TableHeight%%\">",
    "         <table border=\"0\" cellspacing=\"0\" cellpadding=\"0\">",
    "          <tr>",
    "           <td><img  width=\"%%BORDER_SIZE%%\" height=\"%%BORDER_SIZE%%\" border=\"0\" src=\"border/0.jpg\"></td>",
    "           <td>",
    "            <table border=\"0\" cellspacing=\"0\" cellpadding=\"0\">",
    "             <tr>",
    "                <td><img width=\"%%BORDER_SIZE_REGULATION%%\" height=\"%%BORDER_SIZE%%\" border=\"0\"  src=\"border/8.jpg\"></td>",
    "                <td><img width=\"%%THUMB_WIDTH%%\" height=\"%%BORDER_SIZE%%\" border=\"0\" src=\"border/1.jpg\"></td>",
    "                <td><img width=\"%%BORDER_SIZE_REGULATION%%\" height=\"%%BORDER_SIZE%%\" border=\"0\"  src=\"border/9.jpg\"></td>",
    "             </tr>",
    "            </table>",
    "           </td>",
    "           <td><img width=\"%%BORDER_SIZE%%\" height=\"%%BORDER_SIZE%%\" border=\"0\"  src=\"border/2.jpg\"></td> ",
    "          </tr>",
});

constexpr std::array<std::string_view, 13> kThumbFrame16Part2 = std::to_array<std::string_view>({
    "          <tr>",
    "           <td>",
    "            <table border=\"0\" cellspacing=\"0\" cellpadding=\"0\">",
    "             <tr>",
    "                <td><img width=\"%%BORDER_SIZE%%\" height=\"%%BORDER_SIZE_REGULATION%%\" border=\"0\"  src=\"border/10.jpg\"></td>",
    "             </tr>",
    "             <tr>",
    "                <td><img width=\"%%BORDER_SIZE%%\" height=\"%%THUMB_HEIGHT%%\" border=\"0\"  src=\"border/3.jpg\"></td>",
    "             </tr>",
    "             <tr>",
    "                <td><img width=\"%%BORDER_SIZE%%\" height=\"%%BORDER_SIZE_REGULATION%%\" border=\"0\"  src=\"border/12.jpg\"></td>",
    "             </tr>",
    "            </table>",
});

constexpr std::array<std::string_view, 13> kThumbFrame16Part3 = std::to_array<std::string_view>({
    "           <td>",
    "            <table border=\"0\" cellspacing=\"0\" cellpadding=\"0\">",
    "             <tr>",
    "                <td><img width=\"%%BORDER_SIZE%%\" height=\"%%BORDER_SIZE_REGULATION%%\" border=\"0\"  src=\"border/11.jpg\"></td>",
    "             </tr>",
    "             <tr>",
    "                <td><img width=\"%%BORDER_SIZE%%\" height=\"%%THUMB_HEIGHT%%\" border=\"0\"  src=\"border/4.jpg\"></td>",
    "             </tr>",
    "             <tr>",
    "                <td><img width=\"%%BORDER_SIZE%%\" height=\"%%BORDER_SIZE_REGULATION%%\" border=\"0\"  src=\"border/13.jpg\"></td>",
    "             </tr>",
    "            </table>",
    "            </td>",
});

constexpr std::array<std::string_view, 14> kThumbFrame16Part4 = std::to_array<std::string_view>({
    "          <tr>",
    "           <td><img width=\"%%BORDER_SIZE%%\" height=\"%%BORDER_SIZE%%\" border=\"0\"  src=\"border/5.jpg\"></td>",
    "           <td>",
    "            <table border=\"0\" cellspacing=\"0\" cellpadding=\"0\">",
    "             <tr>",
    "                <td><img width=\"%%BORDER_SIZE_REGULATION%%\" height=\"%%BORDER_SIZE%%\" border=\"0\"  src=\"border/14.jpg\"></td>",
    "                <td><img width=\"%%THUMB_WIDTH%%\" height=\"%%BORDER_SIZE%%\" border=\"0\"  src=\"border/6.jpg\"></td>",
    "                <td><img width=\"%%BORDER_SIZE_REGULATION%%\" height=\"%%BORDER_SIZE%%\" border=\"0\"  src=\"border/15.jpg\"></td>",
    "             </tr>",
    "            </table>",
    "           </td>",
    "           <td><img width=\"%%BORDER_SIZE%%\" height=\"%%BORDER_SIZE%%\" border=\"0\"  src=\"border/7.jpg\"></td>",
    "          </tr>",
    "         </table>",
});

constexpr std::string_view kCollectionTitleHeader =
    "   <font face=\"%%FontName%%\" size=\"%%FontSize1%%\" color=\"%%FontColor%%\"><b>%%CollectionTitle%%</b></font>";
constexpr std::string_view kCollectionDescriptionHeader =
    "   <font face=\"%%FontName%%\" size=\"%%FontSize1%%\" color=\"%%FontColor%%\"><b>%%CollectionDescription%%</b></font>";
constexpr std::string_view kPhotoTitleHeader =
    "   <br><font face=\"%%FontName%%\" size=\"%%FontSize2%%\" color=\"%%FontColor%%\">Photo %%PhotoIndex%% of %%PhotoCount%% : %%PhotoTitle%%</font>";

constexpr std::string_view kNavTableStart = "   <table><tr>";
constexpr std::string_view kNavTableEnd = "   </tr></table>";
constexpr std::string_view kNavCellIndent = "    ";
constexpr std::string_view kNavLinkCellStart = "<td width=\"%d\"><a href=\"";
constexpr std::string_view kNavLinkCellMiddle = "\"><img src=\"";
constexpr std::string_view kNavEmptyCell = "<td width=\"%d\">&nbsp;</td>";
constexpr std::string_view kNavFirstTail = "\" alt=\"First\" border=\"0\"></a></td>";
constexpr std::string_view kNavPreviousTail = "\" alt=\"Previous\" border=\"0\"></a></td>";
constexpr std::string_view kNavIndexTail = "\" alt=\"Index\" border=\"0\"></a></td>";
constexpr std::string_view kNavHomeTail = "\" alt=\"Home\" border=\"0\"></a></td>";
constexpr std::string_view kNavNextTail = "\" alt=\"Next\" border=\"0\"></a></td>";
// Screen readers announce the last-page button as what it is, not as a second "Next".
constexpr std::string_view kNavLastTail = "\" alt=\"Last\" border=\"0\"></a></td>";

constexpr std::string_view kHomeAddress = GALLERY_HOME_URL;

constexpr std::string_view kThumbRowStart = "    <tr>";
constexpr std::string_view kThumbRowEnd = "    </tr>";
constexpr std::string_view kThumbEmptyCell = "     <td>&nbsp;</td>";
constexpr std::string_view kThumbPlainCell =
    "<td align=\"center\" bgcolor=\"%%TableItemBackColor%%\"  width=\"%%TableWidth%%\" height=\"%%TableHeight%%\"><a href=\"%%PhotoPage%%\"><img border=\"0\" alt=\"%%PhotoTitle%%\" src=\"%%PhotoPath%%\"></a>";
constexpr std::string_view kThumbFramedImageCell =
    "            <td><a href=\"%%PhotoPage%%\"><img border=\"0\" alt=\"%%PhotoTitle%%\" src=\"%%PhotoPath%%\"></a></td>";
constexpr std::string_view kThumbTitlePiece =
    "     <br><font face=\"%%FontName%%\" size=\"%%FontSize3%%\" color=\"%%FontColor%%\"><div align=\"center\">%%PhotoTitle%%</div></font><br>\n"
    "        </td>";

constexpr std::string_view kPhotoPlainImageCell =
    "   <td><img border=\"0\" alt=\"%%PhotoTitle%%\" src=\"%%PhotoPath%%\"></td>";
constexpr std::string_view kPhotoFramedImageCell =
    "             <td><img border=\"0\" alt=\"%%PhotoTitle%%\" src=\"%%PhotoPath%%\"></td>";

// Blanks and empty lines inside the frame tables are part of the pages.
static_assert(kPhotoFrame16Part1[14].empty());
static_assert(kThumbFrame16Part1[13].ends_with("</td> "));
static_assert(kHomeAddress.starts_with("https://"),
              "the Home address must be an absolute https address");

}  // namespace gallery
