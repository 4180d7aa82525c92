// The R++Orodiv language: C-like syntax with typed declarations, braces, #include and #define, case-sensitive.
// Its grammar text (tokenizer settings, keywords, syntax error messages and
// rules for the grammar interpreter), one line of XML, registered in the
// language registry. The expression rules are those of PascalScript.
#include "fs_icpp.h"

namespace {

const char* const Grammar =
    "<?xml version=\"1.0\"?><language text=\"R++Orodiv\"><parser><commentline1 text=\"//\"/><commentblock1 text=\"/*,*/\"/><commentblock2 text=\"/*,*/\"/><stringquotes text=\"&#34;\"/><hexsequence text=\"0x\"/><casesensitive text=\"1\"/><keywords><break/><case/><continue/><define/><default/><delete/><do/><else/><except/><finally/><for/><in/><is/><if/><new/><return/><switch/><try/><while/></keywords><errors><err1 text=\"Identifier expected\"/><err2 text=\"Expression expected\"/><err3 text=\"Statement expected\"/><err4 text=\"':' expected\"/><err5 text=\"';' expected\"/><err6 text=\"'.' expected\"/><err7 text=\"')' expected\"/><err8 text=\"']' expected\"/><err9 text=\"'=' expected\"/><err10 text=\"'{' expected\"/><err11 text=\"'}' expected\"/><err12 text=\"'(' expected\"/><err13 text=\"'DEFINE' expected\"/><err14 text=\"'WHILE' expected\"/><err17 text=\"'FINALLY' or 'EXCEPT' expected\"/><err18 text=\"'[' expected\"/><err19 text=\"'..' expected\"/><err20 text=\"'&#62;' expected\"/></errors></parser><types><int type=\"integer\"/><long type=\"integer\"/><void type=\"integer\"/><bool type=\"boolean\"/><float type=\"extended\"/></types><empty/>"
    "<program><optional><usesclause/></optional><optionalloop><declsection/></optionalloop><compoundstmt err=\"err10\"/></program>"
    "<usesclause node=\"uses\"><char text=\"#\"/><keyword text=\"INCLUDE\"/><loop text=\",\"><string add=\"file\" err=\"err1\"/></loop></usesclause>"
    "<declsection><switch><constsection/><functiondecl/><sequence><varstmt/><char text=\";\" err=\"err5\"/></sequence></switch></declsection>"
    "<constsection><char text=\"#\"/><keyword text=\"DEFINE\" err=\"err13\"/><constantdecl/></constsection>"
    "<constantdecl node=\"const\"><ident add=\"ident\" err=\"err1\"/><expression err=\"err2\"/></constantdecl>"
    "<varstmt node=\"var\"><ident add=\"type\"/><loop text=\",\"><ident add=\"ident\"/><optional><array/></optional><optional><initvalue/></optional></loop></varstmt>"
    "<array node=\"array\"><loop><char text=\"[\"/><optionalloop text=\",\"><arraydim err=\"err2\"/></optionalloop><char text=\"]\" err=\"err8\"/></loop></array>"
    "<arraydim node=\"dim\"><expression/></arraydim>"
    "<initvalue node=\"init\"><char text=\"=\"/><expression err=\"err2\"/></initvalue>"
    "<expression node=\"expr\"><simpleexpression/><optionalloop><relop/><simpleexpression/></optionalloop></expression>"
    "<simpleexpression><optional><char text=\"-\" add=\"op\" addtext=\"unminus\"/></optional><term/><optionalloop><addop/><term/></optionalloop></simpleexpression>"
    "<term><factor/><optionalloop><mulop/><factor/></optionalloop></term>"
    "<factor><switch><designator/><number add=\"number\"/><string add=\"string\"/><sequence><char text=\"(\" add=\"op\"/><expression err=\"err2\"/><char text=\")\" add=\"op\" err=\"err7\"/></sequence><sequence><char text=\"!\" add=\"op\" addtext=\"not\"/><factor err=\"err2\"/></sequence><sequence><char text=\"[\"/><setconstructor err=\"err2\"/><char text=\"]\" err=\"err8\"/></sequence><newoperator/><sequence><char text=\"&#60;\"/><frstring/><char text=\"&#62;\" err=\"err20\"/></sequence></switch></factor>"
    "<setconstructor node=\"set\"><loop text=\",\"><setnode/></loop></setconstructor>"
    "<setnode><expression/><optional><char text=\".\"/><char text=\".\" add=\"range\"/><expression/></optional></setnode>"
    "<newoperator node=\"new\"><keyword text=\"NEW\"/><designator err=\"err2\"/></newoperator>"
    "<relop><switch><sequence><char text=\"&#62;\"/><char text=\"=\" skip=\"0\" add=\"op\" addtext=\"&#62;=\"/></sequence><sequence><char text=\"&#60;\"/><char text=\"=\" skip=\"0\" add=\"op\" addtext=\"&#60;=\"/></sequence><char text=\"&#62;\" add=\"op\" addtext=\"&#62;\"/><char text=\"&#60;\" add=\"op\" addtext=\"&#60;\"/><sequence><char text=\"=\"/><char text=\"=\" skip=\"0\" add=\"op\" addtext=\"=\"/></sequence><sequence><char text=\"!\"/><char text=\"=\" skip=\"0\" add=\"op\" addtext=\"&#60;&#62;\"/></sequence><keyword text=\"IN\" add=\"op\" addtext=\"in\"/><keyword text=\"IS\" add=\"op\" addtext=\"is\"/></switch></relop>"
    "<addop><switch><char text=\"+\" add=\"op\"/><char text=\"-\" add=\"op\"/><sequence><char text=\"|\"/><char text=\"|\" add=\"op\" addtext=\"or\"/></sequence><char text=\"^\" add=\"op\" addtext=\"xor\"/></switch></addop>"
    "<mulop><switch><char text=\"*\" add=\"op\"/><char text=\"/\" add=\"op\"/><keyword text=\"DIV\" add=\"op\" addtext=\"div\"/><char text=\"%\" add=\"op\" addtext=\"mod\"/><sequence><char text=\"&\"/><char text=\"&\" add=\"op\" addtext=\"and\"/></sequence><sequence><char text=\"&#60;\"/><char text=\"&#60;\" skip=\"0\" add=\"op\" addtext=\"shl\"/></sequence><sequence><char text=\"&#62;\"/><char text=\"&#62;\" skip=\"0\" add=\"op\" addtext=\"shr\"/></sequence></switch></mulop>"
    "<designator node=\"dsgn\"><optional><char text=\"&\" add=\"addr\"/></optional><ident add=\"node\"/><optionalloop><switch><sequence><char text=\".\"/><keyword add=\"node\"/></sequence><sequence><char text=\"[\" add=\"node\"/><exprlist err=\"err2\"/><char text=\"]\" err=\"err8\"/><optionalloop><char text=\"[\"/><exprlist err=\"err2\"/><char text=\"]\" err=\"err8\"/></optionalloop></sequence><sequence><char text=\"(\"/><optional><exprlist/></optional><char text=\")\" err=\"err7\"/></sequence></switch></optionalloop></designator>"
    "<exprlist><loop text=\",\"><expression/></loop></exprlist>"
    "<statement><optionalswitch><sequence><simplestatement/><char text=\";\" err=\"err5\"/></sequence><structstmt/><emptystmt/></optionalswitch></statement>"
    "<emptystmt node=\"empty\"><char text=\";\"/></emptystmt>"
    "<stmtlist><loop><statement/></loop></stmtlist>"
    "<simplestatement><switch><deletestmt/><varstmt/><returnstmt/><keyword text=\"BREAK\" node=\"break\"/><keyword text=\"CONTINUE\" node=\"continue\"/><keyword text=\"EXIT\" node=\"exit\"/><assignstmt/><callstmt/></switch></simplestatement>"
    "<deletestmt node=\"delete\"><keyword text=\"DELETE\"/><designator err=\"err2\"/></deletestmt>"
    "<assignstmt node=\"assignstmt\"><designator/><switch><sequence><char text=\"+\" opt=\"1\" add=\"modificator\"/><char text=\"=\" skip=\"0\"/></sequence><sequence><char text=\"-\" opt=\"1\" add=\"modificator\"/><char text=\"=\" skip=\"0\"/></sequence><sequence><char text=\"*\" opt=\"1\" add=\"modificator\"/><char text=\"=\" skip=\"0\"/></sequence><sequence><char text=\"/\" opt=\"1\" add=\"modificator\"/><char text=\"=\" skip=\"0\"/></sequence><char text=\"=\"/></switch><expression err=\"err2\"/></assignstmt>"
    "<callstmt node=\"callstmt\"><designator/><optionalswitch><sequence><char text=\"+\"/><char text=\"+\" skip=\"0\" add=\"modificator\"/></sequence><sequence><char text=\"-\"/><char text=\"-\" skip=\"0\" add=\"modificator\"/></sequence></optionalswitch></callstmt>"
    "<returnstmt node=\"return\"><keyword text=\"RETURN\"/><optional><expression/></optional></returnstmt>"
    "<structstmt><switch><compoundstmt/><conditionalstmt/><loopstmt/><trystmt/></switch></structstmt>"
    "<compoundstmt node=\"compoundstmt\"><char text=\"{\"/><optional><stmtlist/></optional><char text=\"}\" err=\"err11\"/></compoundstmt>"
    "<conditionalstmt><switch><ifstmt/><casestmt/></switch></conditionalstmt>"
    "<ifstmt node=\"ifstmt\"><keyword text=\"IF\"/><char text=\"(\" err=\"err12\"/><expression err=\"err2\"/><char text=\")\" err=\"err7\"/><statement node=\"thenstmt\"/><optional><keyword text=\"ELSE\"/><statement node=\"elsestmt\"/></optional></ifstmt>"
    "<casestmt node=\"casestmt\"><keyword text=\"SWITCH\"/><char text=\"(\" err=\"err12\"/><expression err=\"err2\"/><char text=\")\" err=\"err7\"/><char text=\"{\" err=\"err10\"/><loop><caseselector/></loop><optional><keyword text=\"DEFAULT\"/><char text=\":\" err=\"err4\"/><statement/></optional><char text=\"}\" err=\"err11\"/></casestmt>"
    "<caseselector node=\"caseselector\"><keyword text=\"CASE\"/><setconstructor err=\"err2\"/><char text=\":\" err=\"err4\"/><statement/></caseselector>"
    "<loopstmt><switch><repeatstmt/><whilestmt/><forstmt/></switch></loopstmt>"
    "<repeatstmt node=\"repeatstmt\"><keyword text=\"DO\"/><statement/><optional><char text=\";\"/></optional><keyword text=\"WHILE\" err=\"err14\"/><char text=\"(\" err=\"err12\"/><expression err=\"err2\"/><empty add=\"inverse\"/><char text=\")\" err=\"err7\"/><char text=\";\" err=\"err5\"/></repeatstmt>"
    "<whilestmt node=\"whilestmt\"><keyword text=\"WHILE\"/><char text=\"(\" err=\"err12\"/><expression err=\"err2\"/><char text=\")\" err=\"err7\"/><statement/></whilestmt>"
    "<forstmt node=\"cppforstmt\"><keyword text=\"FOR\"/><char text=\"(\" err=\"err12\"/><forcompoundstmt/><char text=\";\" err=\"err5\"/><expression err=\"err2\"/><char text=\";\" err=\"err5\"/><forcompoundstmt/><char text=\")\" err=\"err7\"/><statement/></forstmt>"
    "<forcompoundstmt node=\"compoundstmt\"><loop text=\",\"><forstmtitem/></loop></forcompoundstmt>"
    "<forstmtitem><switch><assignstmt/><varstmt/><callstmt/><empty node=\"empty\"/></switch></forstmtitem>"
    "<trystmt node=\"trystmt\"><keyword text=\"TRY\"/><compoundstmt/><switch err=\"err17\"><sequence><keyword text=\"FINALLY\"/><compoundstmt node=\"finallystmt\"/></sequence><sequence><keyword text=\"EXCEPT\"/><compoundstmt node=\"exceptstmt\"/></sequence></switch></trystmt>"
    "<functiondecl node=\"function\"><functionheading/><compoundstmt/></functiondecl>"
    "<functionheading><ident add=\"type\"/><ident add=\"name\"/><formalparameters/></functionheading>"
    "<formalparameters node=\"parameters\"><char text=\"(\"/><optionalloop text=\",\"><formalparam/></optionalloop><char text=\")\" err=\"err7\"/></formalparameters>"
    "<formalparam node=\"var\"><ident add=\"type\"/><optional><char text=\"&\" add=\"varparam\"/></optional><ident add=\"ident\" err=\"err1\"/><optional><initvalue/></optional></formalparam>"
    "</language>";

}  // namespace

const char* RppOrodivGrammar() { return Grammar; }
