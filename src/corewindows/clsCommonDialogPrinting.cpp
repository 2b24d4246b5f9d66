// The print and page-setup dialogs of clsCommonDialog, apart from the rest of the class: the
// print dialog's settings are read from Qt's print support, which the programs without windows
// that open the database through clsDatabase (the template tool, the database peer) do not link.
#include <QPageLayout>
#include <QPrinter>

#include "corewindows/clsCommonDialog.h"
#include "platform/Prompts.h"

namespace {

long OrientationOf(const QPageLayout& layout) { return layout.orientation() == QPageLayout::Landscape ? 2 : 1; }

}  // namespace

bool clsCommonDialog::VBPrintDlg(QPrinter& printer, long& Copies, long& Orientation, long& PaperSize,
                                 long& PrintQuality, const std::string& DlgTitle) {
    if (!Answered(Prompts::PrintDialog(printer, DlgTitle))) return false;
    Copies = printer.copyCount();
    Orientation = OrientationOf(printer.pageLayout());
    PaperSize = static_cast<long>(printer.pageLayout().pageSize().id());
    PrintQuality = printer.resolution();
    return true;
}

bool clsCommonDialog::VBPageSetupDlg2(QPrinter& printer, double& LeftMargin, double& TopMargin, double& RightMargin,
                                      double& BottomMargin, long& PaperSize, long& Orientation,
                                      const std::string& DlgTitle) {
    printer.setPageLayout(QPageLayout(QPageSize(static_cast<QPageSize::PageSizeId>(PaperSize)),
                                      Orientation == 2 ? QPageLayout::Landscape : QPageLayout::Portrait,
                                      QMarginsF(LeftMargin, TopMargin, RightMargin, BottomMargin),
                                      QPageLayout::Millimeter));
    if (!Answered(Prompts::PageSetup(printer, DlgTitle))) return false;
    const QPageLayout layout = printer.pageLayout();
    const QMarginsF margins = layout.margins(QPageLayout::Millimeter);
    LeftMargin = margins.left();
    TopMargin = margins.top();
    RightMargin = margins.right();
    BottomMargin = margins.bottom();
    PaperSize = static_cast<long>(layout.pageSize().id());
    Orientation = OrientationOf(layout);
    return true;
}

bool clsCommonDialog::VBPageSetupDlg(QPrinter& printer, const std::string& DlgTitle) {
    const QPageLayout layout = printer.pageLayout();
    const QMarginsF margins = layout.margins(QPageLayout::Millimeter);
    double left = margins.left(), top = margins.top(), right = margins.right(), bottom = margins.bottom();
    long paper = static_cast<long>(layout.pageSize().id()), orientation = OrientationOf(layout);
    return VBPageSetupDlg2(printer, left, top, right, bottom, paper, orientation, DlgTitle);
}
