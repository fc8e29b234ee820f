// A board with the bus ports only (no reset, DAC, ADC or back door): it drives
// 0x1234 while the read strobe is low, two clocks after it falls.
`default_nettype none

module bus_only_board (
    input  wire        clk,
    /* verilator lint_off UNUSEDSIGNAL */
    input  wire [15:0] bus_in,
    input  wire        as_in,
    input  wire        wr_n_in,
    /* verilator lint_on UNUSEDSIGNAL */
    input  wire        rd_n_in,
    output wire [15:0] bus_out,
    output wire        bus_oe
);
    reg rd1 = 1'b0, rd2 = 1'b0;
    always @(posedge clk) begin
        rd1 <= !rd_n_in;
        rd2 <= rd1;
    end
    assign bus_out = 16'h1234;
    assign bus_oe = rd2;
endmodule

`default_nettype wire
