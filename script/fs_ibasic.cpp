// The RodidOdazav language: Basic-like syntax, statements end at the line end (a line ending in "_" continues), Dim, Sub and Function, If ... End If.
// Its grammar text (tokenizer settings, keywords, syntax error messages and
// rules for the grammar interpreter), one line of XML, registered in the
// language registry. The expression rules are those of PascalScript.
#include "fs_ibasic.h"

namespace {

const char* const Grammar =
    "<?xml version=\"1.0\"?><language text=\"RodidOdazav\"><parser><commentline1 text=\"'\"/><commentline2 text=\"rem\"/><commentblock1 text=\"/\\,/\\\"/><commentblock2 text=\"/\\,/\\\"/><stringquotes text=\"&#34;\"/><hexsequence text=\"0x\"/><declarevars text=\"0\"/><skipeol text=\"0\"/><skipchar text=\"_\"/><keywords><addressof/><and/><as/><byref/><byval/><case/><catch/><delete/><dim/><do/><else/><elseif/><end/><endif/><exit/><finally/><for/><function/><if/><imports/><is/><loop/><mod/><new/><next/><not/><or/><rem/><return/><select/><set/><step/><sub/><then/><to/><try/><wend/><while/><with/><xor/></keywords><errors><err1 text=\"Identifier expected\"/><err2 text=\"Expression expected\"/><err3 text=\"End of line expected\"/><err4 text=\"':' expected\"/><err5 text=\"';' expected\"/><err6 text=\"'.' expected\"/><err7 text=\"')' expected\"/><err8 text=\"']' expected\"/><err9 text=\"'=' expected\"/><err10 text=\"'TO' expected\"/><err11 text=\"'END' expected\"/><err12 text=\"'(' expected\"/><err13 text=\"'THEN' expected\"/><err14 text=\"'WHILE' expected\"/><err15 text=\"'CASE' expected\"/><err16 text=\"'SELECT' expected\"/><err17 text=\"'FINALLY' or 'CATCH' expected\"/><err18 text=\"'[' expected\"/><err19 text=\"'..' expected\"/><err20 text=\"'&#62;' expected\"/><err21 text=\"'WEND' expected\"/><err22 text=\"'NEXT' expected\"/><err23 text=\"'WITH' expected\"/><err24 text=\"'TRY' expected\"/><err25 text=\"'SUB' expected\"/><err26 text=\"'FUNCTION' expected\"/><err27 text=\"'ELSE' expected\"/><err28 text=\"'IF' expected\"/></errors></parser><types><decimal type=\"extended\"/></types><empty/>"
    "<program><statements/></program>"
    "<statements node=\"compoundstmt\"><loop><switch><eol/><sequence><statementlist/><eol err=\"err3\"/></sequence></switch></loop></statements>"
    "<statementlist><loop text=\":\"><statement/></loop></statementlist>"
    "<importstmt node=\"uses\"><keyword text=\"IMPORTS\"/><loop text=\",\"><string add=\"file\" err=\"err1\"/></loop></importstmt>"
    "<dimstmt><keyword text=\"DIM\"/><loop text=\",\"><vardecl/></loop></dimstmt>"
    "<vardecl node=\"var\"><ident add=\"ident\" err=\"err1\" term=\"1\"/><optional><array/></optional><optional><asclause/></optional><optional><initvalue/></optional></vardecl>"
    "<asclause><keyword text=\"AS\"/><ident add=\"type\" err=\"err1\"/></asclause>"
    "<array node=\"array\"><char text=\"[\"/><loop text=\",\"><arraydim err=\"err2\"/></loop><char text=\"]\" err=\"err8\"/></array>"
    "<arraydim node=\"dim\"><expression/></arraydim>"
    "<initvalue node=\"init\"><char text=\"=\"/><expression err=\"err2\"/></initvalue>"
    "<expression node=\"expr\"><simpleexpression/><optionalloop><relop/><simpleexpression/></optionalloop></expression>"
    "<simpleexpression><optional><char text=\"-\" add=\"op\" addtext=\"unminus\"/></optional><term/><optionalloop><addop/><term/></optionalloop></simpleexpression>"
    "<term><factor/><optionalloop><mulop/><factor/></optionalloop></term>"
    "<factor><switch><designator/><number add=\"number\"/><string add=\"string\"/><sequence><char text=\"(\" add=\"op\"/><expression err=\"err2\"/><char text=\")\" add=\"op\" err=\"err7\"/></sequence><sequence><keyword text=\"NOT\" add=\"op\" addtext=\"not\"/><factor err=\"err2\"/></sequence><sequence><char text=\"[\"/><setconstructor err=\"err2\"/><char text=\"]\" err=\"err8\"/></sequence><newoperator/><sequence><char text=\"&#60;\"/><frstring/><char text=\"&#62;\" err=\"err20\"/></sequence></switch></factor>"
    "<setconstructor node=\"set\"><loop text=\",\"><setnode/></loop></setconstructor>"
    "<setnode><expression/><optional><char text=\".\"/><char text=\".\" add=\"range\"/><expression/></optional></setnode>"
    "<newoperator node=\"new\"><keyword text=\"NEW\"/><designator err=\"err2\"/></newoperator>"
    "<relop><switch><sequence><char text=\"&#62;\"/><char text=\"=\" skip=\"0\" add=\"op\" addtext=\"&#62;=\"/></sequence><sequence><char text=\"&#60;\"/><char text=\"&#62;\" skip=\"0\" add=\"op\" addtext=\"&#60;&#62;\"/></sequence><sequence><char text=\"&#60;\"/><char text=\"=\" skip=\"0\" add=\"op\" addtext=\"&#60;=\"/></sequence><char text=\"&#62;\" add=\"op\" addtext=\"&#62;\"/><char text=\"&#60;\" add=\"op\" addtext=\"&#60;\"/><char text=\"=\" add=\"op\" addtext=\"=\"/><keyword text=\"IN\" add=\"op\" addtext=\"in\"/><keyword text=\"IS\" add=\"op\" addtext=\"is\"/></switch></relop>"
    "<addop><switch><char text=\"+\" add=\"op\"/><char text=\"-\" add=\"op\"/><char text=\"&\" add=\"op\" addtext=\"strcat\"/><keyword text=\"OR\" add=\"op\" addtext=\"or\"/><keyword text=\"XOR\" add=\"op\" addtext=\"xor\"/></switch></addop>"
    "<mulop><switch><char text=\"*\" add=\"op\"/><char text=\"/\" add=\"op\"/><char text=\"\\\" add=\"op\" addtext=\"div\"/><keyword text=\"MOD\" add=\"op\" addtext=\"mod\"/><keyword text=\"AND\" add=\"op\" addtext=\"and\"/></switch></mulop>"
    "<designator node=\"dsgn\"><optional><keyword text=\"ADDRESSOF\" add=\"addr\"/></optional><ident add=\"node\"/><optionalloop><switch><sequence><char text=\".\"/><keyword add=\"node\"/></sequence><sequence><char text=\"[\" add=\"node\"/><exprlist err=\"err2\"/><char text=\"]\" err=\"err8\"/></sequence><sequence><char text=\"(\"/><optional><exprlist/></optional><char text=\")\" err=\"err7\"/></sequence></switch></optionalloop></designator>"
    "<exprlist><loop text=\",\"><expression/></loop></exprlist>"
    "<statement><switch><breakstmt/><casestmt/><continuestmt/><deletestmt/><dimstmt/><dostmt/><exitstmt/><forstmt/><funcstmt/><ifstmt/><importstmt/><procstmt/><returnstmt/><setstmt/><trystmt/><whilestmt/><withstmt/><assignstmt/><callstmt/></switch></statement>"
    "<breakstmt><keyword text=\"BREAK\" node=\"break\"/></breakstmt>"
    "<continuestmt><keyword text=\"CONTINUE\" node=\"continue\"/></continuestmt>"
    "<exitstmt><keyword text=\"EXIT\" node=\"exit\"/></exitstmt>"
    "<deletestmt node=\"delete\"><keyword text=\"DELETE\"/><designator err=\"err2\"/></deletestmt>"
    "<setstmt node=\"assignstmt\"><keyword text=\"SET\"/><assignstmt err=\"err2\"/></setstmt>"
    "<assignstmt node=\"assignstmt\"><designator/><switch><sequence><char text=\"+\" add=\"modificator\"/><char text=\"=\" skip=\"0\"/></sequence><sequence><char text=\"-\" add=\"modificator\"/><char text=\"=\" skip=\"0\"/></sequence><sequence><char text=\"*\" add=\"modificator\"/><char text=\"=\" skip=\"0\"/></sequence><sequence><char text=\"/\" add=\"modificator\"/><char text=\"=\" skip=\"0\"/></sequence><char text=\"=\"/></switch><expression err=\"err2\"/></assignstmt>"
    "<callstmt node=\"callstmt\"><designator/><optionalswitch><sequence><char text=\"+\"/><char text=\"+\" skip=\"0\" add=\"modificator\"/></sequence><sequence><char text=\"-\"/><char text=\"-\" skip=\"0\" add=\"modificator\"/></sequence></optionalswitch></callstmt>"
    "<returnstmt node=\"return\"><keyword text=\"RETURN\"/><optional><expression/></optional></returnstmt>"
    "<ifstmt node=\"ifstmt\"><keyword text=\"IF\"/><expression err=\"err2\"/><keyword text=\"THEN\" err=\"err13\"/><thenstmt/></ifstmt>"
    "<thenstmt><switch><sequence><eol/><optional><statements node=\"thenstmt\"/></optional><optionalswitch><elseifstmt node=\"elsestmt\"/><elsestmt node=\"elsestmt\"/></optionalswitch><keyword text=\"END\" err=\"err11\"/><keyword text=\"IF\" err=\"err28\"/></sequence><statementlist node=\"thenstmt\"/></switch></thenstmt>"
    "<elseifstmt node=\"ifstmt\"><keyword text=\"ELSEIF\"/><expression err=\"err2\"/><keyword text=\"THEN\" err=\"err13\"/><switch><sequence><eol/><optional><statements node=\"thenstmt\"/></optional><optionalswitch><elseifstmt node=\"elsestmt\"/><elsestmt node=\"elsestmt\"/></optionalswitch></sequence><statement node=\"thenstmt\"/></switch></elseifstmt>"
    "<elsestmt><keyword text=\"ELSE\"/><switch><sequence><eol/><optional><statements/></optional></sequence><statement/></switch></elsestmt>"
    "<casestmt node=\"casestmt\"><keyword text=\"SELECT\"/><keyword text=\"CASE\" err=\"err15\"/><expression err=\"err2\"/><eol/><loop><caseselector/></loop><optional><keyword text=\"CASE\"/><keyword text=\"ELSE\" err=\"err27\"/><char text=\":\" err=\"err4\"/><statements/></optional><keyword text=\"END\" err=\"err11\"/><keyword text=\"SELECT\" err=\"err16\"/></casestmt>"
    "<caseselector node=\"caseselector\"><keyword text=\"CASE\"/><setconstructor/><char text=\":\" err=\"err4\"/><statements/></caseselector>"
    "<dostmt node=\"repeatstmt\"><keyword text=\"DO\"/><optional><statements/></optional><keyword text=\"LOOP\"/><switch><sequence><keyword text=\"UNTIL\"/><expression err=\"err2\"/></sequence><sequence><keyword text=\"WHILE\" err=\"err14\"/><expression err=\"err2\"/><empty add=\"inverse\"/></sequence></switch></dostmt>"
    "<whilestmt node=\"whilestmt\"><keyword text=\"WHILE\"/><expression err=\"err2\"/><optional><statements/></optional><keyword text=\"WEND\" err=\"err21\"/></whilestmt>"
    "<forstmt node=\"vbforstmt\"><keyword text=\"FOR\"/><ident add=\"ident\" err=\"err1\"/><char text=\"=\" err=\"err9\"/><expression err=\"err2\"/><keyword text=\"TO\" err=\"err10\"/><expression err=\"err2\"/><optional><keyword text=\"STEP\"/><expression err=\"err2\"/></optional><eol/><optional><statements/></optional><keyword text=\"NEXT\" err=\"err22\"/></forstmt>"
    "<trystmt node=\"trystmt\"><keyword text=\"TRY\"/><statements/><switch err=\"err17\"><sequence><keyword text=\"FINALLY\"/><optional><statements node=\"finallystmt\"/></optional></sequence><sequence><keyword text=\"CATCH\"/><optional><statements node=\"exceptstmt\"/></optional></sequence></switch><keyword text=\"END\"/><keyword text=\"TRY\" err=\"err24\"/></trystmt>"
    "<withstmt node=\"with\"><keyword text=\"WITH\"/><designator err=\"err2\"/><eol/><statements/><keyword text=\"END\"/><keyword text=\"WITH\" err=\"err23\"/></withstmt>"
    "<procstmt node=\"procedure\"><keyword text=\"SUB\"/><ident add=\"name\" err=\"err1\"/><optional><formalparameters/></optional><eol/><optional><statements/></optional><keyword text=\"END\" err=\"err11\"/><empty node=\"exit\"/><keyword text=\"SUB\" err=\"err25\"/></procstmt>"
    "<funcstmt node=\"function\"><keyword text=\"FUNCTION\"/><ident add=\"name\" err=\"err1\"/><optional><formalparameters/></optional><optional><asclause/></optional><eol/><optional><statements/></optional><keyword text=\"END\" err=\"err11\"/><empty node=\"exit\"/><keyword text=\"FUNCTION\" err=\"err26\"/></funcstmt>"
    "<formalparameters node=\"parameters\"><char text=\"(\"/><optionalloop text=\",\"><formalparam/></optionalloop><char text=\")\" err=\"err7\"/></formalparameters>"
    "<formalparam><optionalswitch><keyword text=\"BYREF\" node=\"varparams\"/><keyword text=\"BYVAL\"/></optionalswitch><vardecl/></formalparam>"
    "</language>";

}  // namespace

const char* RodidOdazavGrammar() { return Grammar; }
