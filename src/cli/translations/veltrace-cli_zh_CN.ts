<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>CliText</name>
    <message>
        <source>field %1 &quot;%2&quot;: %3</source>
        <translation>第 %1 个参数“%2”：%3</translation>
    </message>
    <message>
        <source>the picture cannot be encoded as PNG</source>
        <translation>无法把图片编码为 PNG</translation>
    </message>
    <message>
        <source>no standard output</source>
        <translation>没有标准输出</translation>
    </message>
    <message>
        <source>cannot write to standard output: %1</source>
        <translation>无法写入标准输出：%1</translation>
    </message>
    <message>
        <source>cannot write %1: %2</source>
        <translation>无法写入“%1”：%2</translation>
    </message>
    <message>
        <source>row %1/%2</source>
        <translation>第 %1/%2 行</translation>
    </message>
    <message>
        <source>note: %1</source>
        <translation>提示：%1</translation>
    </message>
    <message>
        <source>stopped after %1 of %2 rows: %3</source>
        <translation>处理了 %1/%2 行后停止：%3</translation>
    </message>
    <message>
        <source>read %1 rows: %2 plotted, %3 refused, %4 empty and skipped, %5 with values from the row above; %6 written, %7 not written</source>
        <translation>读取 %1 行：生成驻波图 %2 张，%3 行未生成，跳过空行 %4 行，%5 行沿用了上一行的值；已写入 %6 张，未写入 %7 张</translation>
    </message>
    <message>
        <source>%1 plots were not written to %2</source>
        <translation>%1 张驻波图没有写入“%2”</translation>
    </message>
    <message>
        <source>%1 plots were not written to %2: %3</source>
        <translation>%1 张驻波图没有写入“%2”：%3</translation>
    </message>
    <message>
        <source>Filled %1 table rows, %2 sections, %3 summary values</source>
        <translation>按模板填写了表格 %1 行、每段内容 %2 节、汇总值 %3 个</translation>
    </message>
    <message>
        <source>; replaced %1 earlier plots</source>
        <translation>；替换了 %1 张已有的驻波图</translation>
    </message>
    <message>
        <source>Appended %1 plots to %2 (%3 into placeholders, %4 at the end)</source>
        <translation>已向“%2”添加 %1 张驻波图（%3 张放入占位符，%4 张追加到文末）</translation>
    </message>
    <message>
        <source>Appended %1 plots to %2 (%3 into placeholders, %4 after the bookmark veltrace, %5 at the end)</source>
        <translation>已向“%2”添加 %1 张驻波图（%3 张放入占位符，%4 张放在书签“veltrace”之后，%5 张追加到文末）</translation>
    </message>
    <message>
        <source>%1 has %2 rows with values, more than --max-rows %3; give --max-rows %2 to process them all</source>
        <translation>“%1”中有 %2 行数据，超过 --max-rows %3；要全部处理，请给出 --max-rows %2</translation>
    </message>
    <message>
        <source>%1 wants a whole number from 0 to 4294967295, not &quot;%2&quot;</source>
        <translation>%1 要求 0 到 4294967295 之间的整数，而不是“%2”</translation>
    </message>
    <message>
        <source>%1 wants 1, 2 or 3, not &quot;%2&quot;</source>
        <translation>%1 要求 1、2 或 3，而不是“%2”</translation>
    </message>
    <message>
        <source>%1 wants a VSWR of at least 1, not &quot;%2&quot;</source>
        <translation>%1 要求不小于 1 的驻波比，而不是“%2”</translation>
    </message>
    <message>
        <source>%1 wants N=TEXT with N from 0 to 13, not &quot;%2&quot;</source>
        <translation>%1 要求“N=文字”的形式（N 为 0 到 13），而不是“%2”</translation>
    </message>
    <message>
        <source>N=TEXT</source>
        <translation>N=文字</translation>
    </message>
    <message>
        <source>Sets parameter field N (0 to 13) before drawing; repeatable. Setting field 1 (feeder length) derives field 3 (test distance) unless that is given too.</source>
        <translation>绘图前设置第 N 个参数（0 到 13），可重复给出。设置参数 1（馈线长）时由它推算参数 3（测试距离），除非同时给出参数 3。</translation>
    </message>
    <message>
        <source>The test distance is twice the feeder length.</source>
        <translation>测试距离为馈线长的两倍。</translation>
    </message>
    <message>
        <source>Makes the ripple and the derived distance reproducible.</source>
        <translation>使波纹和推算的测试距离可以重现。</translation>
    </message>
    <message>
        <source>FILE.png</source>
        <translation>文件.png</translation>
    </message>
    <message>
        <source>The PNG file to write; - writes it to standard output.</source>
        <translation>要写入的 PNG 文件；“-”表示写到标准输出。</translation>
    </message>
    <message>
        <source>DOCUMENT.docx</source>
        <translation>文档.docx</translation>
    </message>
    <message>
        <source>The document to append to; a missing one is created.</source>
        <translation>要添加驻波图的文档；不存在时新建。</translation>
    </message>
    <message>
        <source>Draws at N (1, 2 or 3) device pixels to a pixel: a sharper picture of the same size on the page. Default 1.</source>
        <translation>每个像素用 N（1、2 或 3）个设备像素绘制：页面上尺寸不变，图片更清晰。默认为 1。</translation>
    </message>
    <message>
        <source>The test time comes from column E.</source>
        <translation>测试时间取自 E 列。</translation>
    </message>
    <message>
        <source>The VSWR limit of a report template&apos;s verdicts and summary (default 1.5); a limit the document gives ({{驻波比上限=V}}) wins.</source>
        <translation>报告模板的结论和汇总所用的驻波比上限（默认为 1.5）；文档中给出的上限（{{驻波比上限=V}}）优先。</translation>
    </message>
    <message>
        <source>A plot replaces, in place, the plot this program wrote earlier for the same segment in the document, instead of adding another.</source>
        <translation>驻波图就地替换本程序先前为同一测试段写入文档的驻波图，而不是再添加一张。</translation>
    </message>
    <message>
        <source>An empty cell takes the value of the row above instead of keeping its row from a plot; each value taken is listed.</source>
        <translation>空单元格沿用上一行的值，而不是使该行不生成驻波图；每个沿用的值都会列出。</translation>
    </message>
    <message>
        <source>Processes a workbook of at most N rows with values (default 10000; empty rows are skipped); a longer one is refused before anything is written.</source>
        <translation>只处理至多 N 行数据的工作簿（默认为 10000，空行跳过）；更长的工作簿在写入任何内容之前即被拒绝。</translation>
    </message>
    <message>
        <source>Draws one plot into a PNG file.</source>
        <translation>把一张驻波图画到 PNG 文件中。</translation>
    </message>
    <message>
        <source>Draws the plot the main window&apos;s generate command draws into a PNG file,
from the window&apos;s default fields changed by the given ones.</source>
        <translation>把主窗口的生成命令所画的驻波图画到 PNG 文件中，
参数为窗口的默认参数，再按给出的参数修改。</translation>
    </message>
    <message>
        <source>WORKBOOK</source>
        <translation>工作簿</translation>
    </message>
    <message>
        <source>The .xls or .xlsx workbook; its sheet &quot;Sheet1&quot; lists one segment per row.</source>
        <translation>.xls 或 .xlsx 工作簿；其工作表“Sheet1”每行列出一个测试段。</translation>
    </message>
    <message>
        <source>Appends one plot per workbook row to a .docx document.</source>
        <translation>为工作簿的每一行向 .docx 文档添加一张驻波图。</translation>
    </message>
    <message>
        <source>Appends one plot per row of the workbook&apos;s sheet &quot;Sheet1&quot; to the document
(created when missing), as the main window&apos;s batch does.</source>
        <translation>与主窗口的批处理一样，为工作簿的工作表“Sheet1”的每一行
向文档（不存在时新建）添加一张驻波图。</translation>
    </message>
    <message>
        <source>Exit status: 0 all went through, 1 some row gave no plot or some plot was not
written, 2 a usage error or an unreadable workbook or document (nothing written).</source>
        <translation>退出状态：0 全部完成；1 有的行未生成驻波图，或有的驻波图未写入；
2 用法错误，或工作簿、文档无法读取（什么都没有写入）。</translation>
    </message>
    <message>
        <source>Draws distance-to-fault VSWR plots without a window or display.</source>
        <translation>不需要窗口或显示器，绘制故障点距离驻波图。</translation>
    </message>
    <message>
        <source>&quot;veltrace-cli COMMAND --help&quot; lists the options of a command.</source>
        <translation>“veltrace-cli 命令 --help”列出一个命令的选项。</translation>
    </message>
    <message>
        <source>%1 takes no arguments, not &quot;%2&quot;</source>
        <translation>%1 不接受参数，而给出了“%2”</translation>
    </message>
    <message>
        <source>%1 needs exactly one %2</source>
        <translation>%1 需要恰好一个%2</translation>
    </message>
    <message>
        <source>%1 needs %2 %3</source>
        <translation>%1 需要 %2 %3</translation>
    </message>
    <message>
        <source>no command given: render or batch</source>
        <translation>没有给出命令：render 或 batch</translation>
    </message>
    <message>
        <source>unknown command &quot;%1&quot;</source>
        <translation>未知的命令“%1”</translation>
    </message>
    <message>
        <source>command</source>
        <translation>命令</translation>
    </message>
    <message>
        <source>render or batch</source>
        <translation>render 或 batch</translation>
    </message>
    <message>
        <source>See &quot;veltrace-cli %1--help&quot;.</source>
        <translation>参见“veltrace-cli %1--help”。</translation>
    </message>
</context>
<context>
    <name>QCommandLineParser</name>
    <message>
        <source>Displays help on commandline options.</source>
        <translation>显示命令行选项的帮助。</translation>
    </message>
    <message>
        <source>Displays help including Qt specific options.</source>
        <translation>显示帮助，包括 Qt 特有的选项。</translation>
    </message>
    <message>
        <source>Displays version information.</source>
        <translation>显示版本信息。</translation>
    </message>
    <message>
        <source>Unknown option &apos;%1&apos;.</source>
        <translation>未知的选项“%1”。</translation>
    </message>
    <message>
        <source>Unknown options: %1.</source>
        <translation>未知的选项：%1。</translation>
    </message>
    <message>
        <source>Missing value after &apos;%1&apos;.</source>
        <translation>“%1”后面缺少值。</translation>
    </message>
    <message>
        <source>Unexpected value after &apos;%1&apos;.</source>
        <translation>“%1”后面不应有值。</translation>
    </message>
    <message>
        <source>[options]</source>
        <translation>[选项]</translation>
    </message>
    <message>
        <source>Usage: %1</source>
        <translation>用法：%1</translation>
    </message>
    <message>
        <source>Options:</source>
        <translation>选项：</translation>
    </message>
    <message>
        <source>Arguments:</source>
        <translation>参数：</translation>
    </message>
</context>
</TS>
