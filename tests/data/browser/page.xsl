<?xml version="1.0" encoding="utf-8"?>
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
<xsl:output method="html" encoding="utf-8"/>
<xsl:template match="/page">
<html><head><title><xsl:value-of select="@title"/></title></head>
<body><p id="para"><xsl:value-of select="para"/></p></body></html>
</xsl:template>
</xsl:stylesheet>
