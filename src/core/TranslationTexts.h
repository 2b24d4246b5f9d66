#pragma once
#include <string_view>

// Long texts of the stick windows whose English is the key of their translations in the
// built-in table: the window and the table both take them from here, so that an edit to the
// text is an edit to its key.
namespace TranslationTexts {

// The stick reader window's help for choosing a port, below which its port list lies.
inline constexpr std::string_view StickReaderPortHelp =
    "If you have not yet enabled the Bluetooth connection from your stick reader\r\n"
    "to your PC please do so now and turn the stick reader on. Then select the COM port\r\n"
    "to which it is connected from the list below. If the COM port is not showing in the list\r\n"
    "please click the Refresh COM Port List button";

// The eartag list's help, 30 lines.
inline constexpr std::string_view EartagListHelp =
    "To retrieve the tag file from your PC:\r\n"
    "  Select 'Get Tags from File on PC', search for the tag file and click 'Open'.\r\n"
    "To select tags:\r\n"
    "  Highlight the tags and click on 'Select Tags to Send to Stick' - All tags with a tick will be sent to the stick.\r\n"
    "  Tag numbers highlighted in blue are the newly added tag numbers.\r\n"
    "To deselect tags:\r\n"
    "  Highlight the tags and click on 'Deselect Tags from the List'.\r\n"
    "  These will not be sent to the stick but will remain in the list on the PC.\r\n"
    "To delete tags permanently from the list:\r\n"
    "  Highlight the tags and click on 'Delete Selected Tags from the List'.\r\n"
    "  If you subsequently want to add these tags you will need to retrieve the tags file again from the PC.\r\n"
    "\r\n"
    "The more tags selected, the slower they will load onto the stick. Uploading associated tags will replace any existing\r\n"
    "'associated tags' on the stick.\r\n"
    "\r\n"
    "All tags (other than those deleted from the list) will remain in the program when next accessed.\r\n"
    "\r\n"
    "Tags can be selected in the following ways:\r\n"
    "  1. Select a single tag by clicking in the grey box beside it.\r\n"
    "  2. Select multiple consecutive tags by selecting the first tag and then, whilst holding the shift key on the keyboard,\r\n"
    "     select the last tag.\r\n"
    "  3. Select multiple non-consecutive tags by selecting them with the Ctrl key on the keyboard held down.\r\n"
    "  4. Deselect all tags by clicking anywhere in the grid.\r\n"
    "\r\n"
    "If your tag manufacturer does not supply a tag file then you can make your own.\r\n"
    "Using a text window like this one make a text file with each line using the following format:\r\n"
    "   EID,Visual Tag\r\n"
    "The EID can be 16 hexadecimal digits or 15 or 16 decimal digits (if 16 the first digit must be 0). All EIDs\r\n"
    "in a file must use the same format. You can configure your stick to display any of these formats.\r\n"
    "The visual tag can be from 1 to 16 characters long with (at most) one space in it.";

}  // namespace TranslationTexts
